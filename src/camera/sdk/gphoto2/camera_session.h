// One opened camera of the libgphoto2 backend: its own libgphoto2 context and camera,
// the lock every call on that camera is made under (libgphoto2 is not safe for
// concurrent calls on one camera, and the window thread and the worker both call),
// and a thread of its own that waits for the camera's events and hands them to the
// program's handlers.
//
// A camera that stops answering is gone for good: every later call answers
// kSdkErrCommDisconnected and the state handler hears 0x301 once.
#pragma once

#include <gphoto2/gphoto2-camera.h>
#include <gphoto2/gphoto2-context.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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
};

class CameraSession : public std::enable_shared_from_this<CameraSession> {
  public:
    /// Opens the camera on `port` (with driver `model`, or detected when empty).
    /// Answers null and the boundary's code when it cannot be opened.
    static std::shared_ptr<CameraSession> Open(std::shared_ptr<Gphoto2Library> library,
                                               const std::string& model, const std::string& port,
                                               SdkError* error);
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    bool Gone() const;
    /// Stops event delivery (the library is being closed).
    void StopEvents();

    SdkError DeviceInfo(SdkDeviceInfo* out);
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

    SdkError SetPropertyHandler(SdkPropertyEvent event, SdkPropertyEventHandler handler,
                                void* context);
    SdkError SetObjectHandler(SdkObjectEvent event, SdkObjectEventHandler handler, void* context);
    SdkError SetStateHandler(SdkStateEvent event, SdkStateEventHandler handler, void* context);

  private:
    // What the event thread hands to the program.
    struct Event {
        enum class Kind { kPicture, kEntryChanged, kPropertyChanged, kGone } kind;
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

    CameraSession(std::shared_ptr<Gphoto2Library> library, std::string port);

    // Everything named ...Locked expects cameraMutex_ to be held.
    SdkError ReadEntryLocked(const Route& route, std::unique_ptr<Entry>* out);
    SdkError ReadValueLocked(const Route& route, std::string* text, int* number, bool* readOnly);
    SdkError WriteRouteLocked(const Route& route, uint32_t size, const void* data);
    SdkError StoreEntryLocked(Entry& entry);
    /// The boundary's answer for a libgphoto2 result; a lost camera is marked gone.
    SdkError OutcomeLocked(int result, SdkError refused = 0);
    /// True while the camera answers; events seen meanwhile are kept for the thread.
    bool AliveLocked();
    /// One round of waiting for events; answers false when the camera broke.
    bool PollLocked(int timeoutMs, std::vector<Event>* events);
    bool LiveViewLocked();
    void MarkGone();
    void Post(Event event);
    void RunEvents();
    void Dispatch(const Event& event);

    const std::shared_ptr<Gphoto2Library> library_;
    const std::string port_;
    std::string model_;

    std::mutex cameraMutex_;
    GPContext* context_ = nullptr;
    Camera* camera_ = nullptr;
    std::map<SdkPropertyId, std::string> entryNames_;  // resolved; "" when the camera has none
    uint32_t saveTo_ = 1;                              // the card until told otherwise
    uint32_t evfMode_ = 0;
    uint32_t evfOutput_ = 0;
    std::optional<bool> liveView_;  // whether the camera delivers preview frames

    mutable std::mutex stateMutex_;
    std::condition_variable wake_;
    bool gone_ = false;
    bool goneAnnounced_ = false;
    bool stop_ = false;
    std::deque<Event> pending_;
    // Who is told of one kind of event, and of which of them; under stateMutex_.
    template <typename Handler>
    struct Subscription {
        uint32_t filter;
        Handler handler = nullptr;
        void* context = nullptr;
    };
    template <typename Handler>
    SdkError Subscribe(Subscription<Handler>& to, uint32_t all, uint32_t event, Handler handler,
                       void* context);
    Subscription<SdkPropertyEventHandler> property_{kPropertyEventAll};
    Subscription<SdkObjectEventHandler> object_{kObjectEventAll};
    Subscription<SdkStateEventHandler> state_{kStateEventAll};
    std::thread events_;
};

}  // namespace talbex::gphoto
