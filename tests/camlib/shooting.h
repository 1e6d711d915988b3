// Pictures, focus and live view as each family's body does them and ptp2 hands them
// over (library.c: the family's capture function, camera_wait_for_event,
// camera_capture_preview). All under the camera's lock; what libgphoto2's file system must
// be told is returned as announcements for the caller to make once the lock is let go.
#pragma once

#include <gphoto2/gphoto2-camera.h>

#include <string>
#include <vector>

#include "camera_model.h"

namespace tcam {

/// A press or trigger that takes a picture: the body takes it, and what ptp2's event
/// wait reports of it is queued.
void ShootForEvents();
/// gp_camera_capture: the picture taken and handed over as the family's capture function
/// does.
int Capture(CameraFilePath* path, std::vector<Announcement>* out);
/// gp_camera_wait_for_event: the next thing ptp2 reports, or GP_EVENT_TIMEOUT when none.
int NextEvent(CameraEventType* type, void** data, std::vector<Announcement>* out);
/// gp_camera_capture_preview, faults included; `*wait` is how long ptp2 would have
/// retried a busy body before answering, for the caller to wait out.
int Preview(std::vector<unsigned char>* frame, int* waitMs, std::string* why);

/// An autofocus cycle of the body.
void Autofocus();
/// Drives the lens by `delta` (negative: nearer); false at the end of its travel.
bool DriveFocus(int delta, const std::string& line);

/// The serial the device information gives, in the family's form.
std::string DeviceSerial();
/// The eos family's focus information text (ptp-pack.c's FocusInfoEx form).
std::string FocusInfoText();

}  // namespace tcam
