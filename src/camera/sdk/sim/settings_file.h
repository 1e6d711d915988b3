// The simulator settings file (TALBEX_CAMERA=sim:PATH): "key = value" lines, one
// "[camera]" section per attached camera, '#' or ';' starting a comment line. A value may
// be followed by " # comment"; quoting it ("...") keeps spaces, '#' and the word absent.
//
//   [camera]
//   model = SimCam S1
//   serial = 12AB5          # too short and not a number: the program takes a test shot
//   artist = absent         # "absent" makes the property unreadable
//   busy = take_picture:2   # the next two pictures answer "busy"
//   fail = download:1:0x20  # the next transfer fails with code 0x20
//
// Keys: model, lens, serial, owner, artist, copyright, firmware, current_folder,
// shutter_count, battery_level, battery_quality, clock (YYYY-MM-DD hh:mm:ss), legacy (0/1),
// mode_dial (AE-mode code), live_view_size (WxH), picture_size (WxH), picture_bytes,
// exif_byte_order (little/big), exif_serial (maker-note number), exif_body_serial (text),
// busy (OPERATION[@PROPERTY]:COUNT, comma-separated), fail (OPERATION[@PROPERTY]:COUNT:CODE),
// unplug_after_ms, shutdown_after_ms (from the first SdkInitialize), transfer_ms,
// busy_after_shot_ms, busy_while_transferring (0/1), live_view_fps, mains_power (0/1),
// battery_drain, text_limit, widest_aperture, narrowest_aperture (Av codes), image_quality,
// color_space, served_properties and vendor (standard/nikon: what `talbex sim-serve`
// serves). A camera whose values do not go together (an image quality of the other
// protocol, an inverted aperture range) is an error at its section's line.
// Operations are the names of OperationName (sim_settings.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "camera/sdk/sim/sim_settings.h"

namespace talbex::sim {

/// Reads every camera of the file. False, with "PATH:LINE: what is wrong" (or "PATH: ..."
/// when the file cannot be read), on the first error; `cameras` is then left untouched.
bool ReadSettingsFile(const std::string& path, std::vector<CameraSettings>* cameras,
                      std::string* error);

/// The same for text already read; `name` stands for the file in messages.
bool ParseSettings(std::string_view text, const std::string& name,
                   std::vector<CameraSettings>* cameras, std::string* error);

}  // namespace talbex::sim
