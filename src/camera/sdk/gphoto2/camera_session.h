// One session on a camera of the libgphoto2 backend: the camera opened (libgphoto2's
// camera initialisation, which wakes a body and claims it from every other program) with
// its own libgphoto2 context, the lock every call on that camera is made under
// (libgphoto2 is not safe for concurrent calls on one camera, and the window thread and
// the worker both call), and a thread of its own that waits for the camera's events and
// hands them to the program's handlers. The session lives from the boundary's session
// open to its close; the members are defined by subject: camera_session.cpp (opening,
// outcomes, events), session_properties.cpp, session_shooting.cpp (commands and
// pictures) and session_live_view.cpp (live view and the camera's own controls).
//
// The session learns its camera's family when it opens (families.h) and reads and writes
// everything through that family's tables.
//
// A camera that stops answering is gone for good: every later call answers
// kSdkErrCommDisconnected and the state handler hears 0x301 once.
#pragma once

#include <gphoto2/gphoto2-camera.h>
#include <gphoto2/gphoto2-context.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "camera/sdk/gphoto2/families.h"
#include "camera/sdk/gphoto2/focus_points.h"
#include "camera/sdk/gphoto2/gphoto2_library.h"
#include "camera/sdk/gphoto2/property_routes.h"
#include "camera/sdk/sdk_backend.h"

namespace talbex::gphoto {

class CameraSession;

/// A picture on the camera, announced to the program with object event 0x208.
struct CameraPicture : SdkObject {
    std::weak_ptr<CameraSession> session;
    std::string folder;
    std::string name;
    /// libgphoto2 has already taken it off the camera (a picture shot into the camera's
    /// memory): the program's copy is the only one.
    bool handedOver = false;
};

/// Who is told of the camera's events. Handlers are registered on the camera reference
/// before a session opens and stay with it across sessions; any thread, under `mutex`.
struct EventSubscriptions {
    template <typename Handler>
    struct One {
        uint32_t filter;
        Handler handler = nullptr;
        void* context = nullptr;
    };
    std::mutex mutex;
    One<SdkPropertyEventHandler> property{kPropertyEventAll};
    One<SdkObjectEventHandler> object{kObjectEventAll};
    One<SdkStateEventHandler> state{kStateEventAll};
};

class CameraSession : public std::enable_shared_from_this<CameraSession> {
  public:
    /// Opens the camera on `port` (with driver `model`, or detected when empty); its
    /// events go to `subscriptions`. Answers null and the boundary's code when it cannot
    /// be opened: kSdkErrDeviceHeld when another program holds it.
    static std::shared_ptr<CameraSession> Open(std::shared_ptr<Gphoto2Library> library,
                                               const std::string& model, const std::string& port,
                                               std::shared_ptr<EventSubscriptions> subscriptions,
                                               SdkError* error);
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    bool Gone() const;
    /// Stops event delivery (the session or the library is being closed).
    void StopEvents();
    /// The session closes: the camera's own live view is switched off where the session
    /// switched it on, and events stop.
    void Leave();
    /// The camera's own name for itself, read when the session opened.
    const std::string& ModelName() const { return model_; }
    /// The camera's family, learnt when the session opened.
    const Family& family() const { return *family_; }
    /// kSdkOk while the camera is there.
    SdkError Present();

    SdkError PropertySize(SdkPropertyId id, SdkDataType* type, uint32_t* size);
    SdkError PropertyData(SdkPropertyId id, uint32_t size, void* out);
    SdkError SetProperty(SdkPropertyId id, uint32_t size, const void* data);
    SdkError PropertyDesc(SdkPropertyId id, SdkPropertyDesc* out);
    SdkError Command(SdkCameraCommand command, int32_t param);
    SdkError ShutterCount(uint32_t* out);
    SdkError PictureInfo(const CameraPicture& picture, SdkDirectoryItemInfo* out);
    SdkError Download(const CameraPicture& picture, uint64_t size, SdkStream& stream);
    SdkError DownloadComplete(const CameraPicture& picture);
    SdkError EvfImage(SdkEvfImage& image);

  private:
    // What the event thread hands to the program.
    struct Event {
        // kKept: a setting the camera keeps, told to a new session (value and choices).
        enum class Kind { kPicture, kEntryChanged, kPropertyChanged, kKept, kGone } kind;
        std::string folder, name;  // a picture's place, or the entry that changed
        SdkPropertyId property = 0;
    };

    // A configuration entry read from the camera; frees itself.
    struct Entry {
        CameraWidget* root = nullptr;
        CameraWidget* widget = nullptr;
        std::string name;
        ~Entry();
    };

    CameraSession(std::shared_ptr<Gphoto2Library> library, std::string port,
                  std::shared_ptr<EventSubscriptions> subscriptions);

    // Everything named ...Locked expects cameraMutex_ to be held.
    /// The camera's family, from its manufacturer's name and the entries only a family has.
    const Family& LearnFamilyLocked();
    SdkError ReadEntryLocked(const Route& route, std::unique_ptr<Entry>* out);
    SdkError ReadValueLocked(const Route& route, std::string* text, int* number, bool* readOnly);
    SdkError WriteRouteLocked(const Route& route, uint32_t size, const void* data);
    SdkError StoreEntryLocked(Entry& entry);
    /// The camera reads back what `written` holds.
    bool ReadsBackLocked(const Entry& written);
    /// The boundary's answer for a libgphoto2 result; a lost camera is marked gone.
    SdkError OutcomeLocked(int result, SdkError refused = 0);
    /// True while the camera answers; events seen meanwhile are kept for the thread.
    bool AliveLocked();
    /// One round of waiting for events; answers false when the camera broke.
    bool PollLocked(int timeoutMs, std::vector<Event>* events);
    void MarkGone();
    /// The program took a picture: its announcement is looked for at once, for a while.
    void ExpectPicture();
    void Post(Event event);
    void RunEvents();
    void AnnounceKeptProperties();
    /// Lists the camera's folders under `folder`, so libgphoto2 knows the pictures there.
    void SeeTheCardLocked(const std::string& folder, int depth, int* budget);
    void Dispatch(const Event& event);

    // The session's own values of the live-view and save-target properties.
    bool IsSessionValue(SdkPropertyId id) const;
    SdkError SessionValueSize(SdkPropertyId id, SdkDataType* type, uint32_t* size);
    SdkError SessionValue(SdkPropertyId id, uint32_t size, void* out);
    SdkError SetSessionValue(SdkPropertyId id, uint32_t size, const void* data);

    // The camera's own controls, as its family reaches them (families.h).
    /// The control's widget, read afresh; kSdkErrNotSupported when the camera has none.
    SdkError ReadControlLocked(Control control, std::unique_ptr<Entry>* out,
                               const ControlUse** use = nullptr);
    bool HasControlLocked(Control control);
    /// Sets the control: `text` for choices and texts, `number` for toggles and ranges.
    SdkError SetControlLocked(Control control, const std::string& text, float number);
    /// Starts (`on`) or ends the action of a press-like control: a choice widget takes its
    /// start or end choice, a toggle 1 or 0; one whose every write starts it is only
    /// written to start.
    SdkError ActLocked(Control control, bool on);
    SdkError PressShutterLocked(int32_t state);
    SdkError DriveFocusLocked(uint32_t step);
    SdkError CaptureLocked();
    /// Points the camera's capture target where the program wants its pictures, keeping
    /// what it was (and libgphoto2's lasting setting) for PutBackCaptureTargetLocked. A
    /// refused target never stops a picture: it then lands where the camera puts it.
    void AimCaptureTargetLocked();
    void PutBackCaptureTargetLocked();
    /// Whether the camera delivers preview frames; a failed try is tried again on a later
    /// request, unless the camera said it has no live view at all.
    bool LiveViewLocked();
    bool MayHaveLiveViewLocked();
    SdkError SwitchLiveViewLocked(bool on);
    /// Switches live view on where the camera has its own switch and makes sure frames
    /// come; kSdkErrNotSupported when they do not.
    SdkError StartLiveViewLocked();
    /// A failed preview: "not supported" ends live view for the session; anything else is
    /// said once and asked again.
    void NotePreviewFailureLocked(int result);
    /// The autofocus points where the family reports them; they also tell the area the
    /// live-view zoom position is given in.
    std::optional<FocusPoints> FocusPointsLocked();
    /// The zoom's area in `area`'s coordinates, at its position.
    SdkRect ZoomRectLocked(SdkSize area) const;
    /// Writes `data` for every handed-over picture the program never confirmed into the
    /// program folder's incoming folder: the camera no longer holds them.
    void RescueHandedOverLocked();

    const std::shared_ptr<Gphoto2Library> library_;
    const std::string port_;
    const std::shared_ptr<EventSubscriptions> subscriptions_;
    std::string model_;

    std::mutex cameraMutex_;
    GPContext* context_ = nullptr;
    Camera* camera_ = nullptr;
    bool previewInAbilities_ = false;
    const Family* family_ = &GenericFamily();
    std::map<SdkPropertyId, std::string> entryNames_;  // resolved; "" when the camera has none
    std::array<std::optional<bool>, kControlCount> controls_;  // looked up: present or not
    uint32_t saveTo_ = 1;                                      // the card until told otherwise
    uint32_t evfMode_ = 0;
    uint32_t evfOutput_ = 0;
    uint32_t zoom_ = 1;
    tagSdkPoint zoomAt_{};
    bool zoomAtSet_ = false;               // the program placed the zoom: until then it is centred
    SdkSize evfArea_{};                    // the camera's live-view coordinates, once known
    bool viewfinderOn_ = false;            // the camera's own live-view switch, as set
    int32_t pressed_ = kShutterButtonOff;  // the shutter button as the program left it
    std::optional<bool> liveView_;         // whether the camera delivers preview frames
    bool liveViewFailureTold_ = false;     // a failed preview was said once
    /// The capture target as the session found it, once the session changed it.
    std::optional<std::string> targetBefore_;
    /// Handed-over pictures the program has not yet confirmed: libgphoto2 holds their only
    /// copy until then.
    std::vector<std::pair<std::string, std::string>> unconfirmed_;

    mutable std::mutex stateMutex_;
    std::condition_variable wake_;
    bool gone_ = false;
    bool goneAnnounced_ = false;
    /// Until when a picture the program took may still be announced.
    std::chrono::steady_clock::time_point pictureDue_{};
    bool stop_ = false;
    std::deque<Event> pending_;
    std::thread events_;
};

}  // namespace talbex::gphoto
