#include "camera/sdk/gphoto2/camera_session.h"

#include <gphoto2/gphoto2-abilities-list.h>
#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

#include <cstdlib>

#include "camera/sdk/gphoto2/gphoto2_results.h"

namespace talbex::gphoto {

namespace {

// The event thread waits this long for an event while holding the camera, then lets
// the program's calls have it for a while.
constexpr int kEventWaitMs = 20;
constexpr auto kEventPause = std::chrono::milliseconds(80);
// At most this many events are taken in one go, so a chatty camera cannot starve calls.
constexpr int kEventsPerRound = 16;

// libgphoto2's answers when another program has the camera.
bool IsHeld(int result) {
    return result == GP_ERROR_IO_USB_CLAIM || result == GP_ERROR_CAMERA_BUSY ||
           result == GP_ERROR_IO_LOCK;
}

}  // namespace

CameraSession::CameraSession(std::shared_ptr<Gphoto2Library> library, std::string port,
                             std::shared_ptr<EventSubscriptions> subscriptions)
    : library_(std::move(library)),
      port_(std::move(port)),
      subscriptions_(std::move(subscriptions)) {}

std::shared_ptr<CameraSession> CameraSession::Open(
    std::shared_ptr<Gphoto2Library> library, const std::string& model, const std::string& port,
    std::shared_ptr<EventSubscriptions> subscriptions, SdkError* error) {
    std::shared_ptr<CameraSession> session(
        new CameraSession(library, port, std::move(subscriptions)));
    *error = kSdkErrDeviceNotFound;
    {
        // Another camera still being opened (one that drips its handshake) holds the
        // library: this one is busy, not waited for without end.
        const std::unique_lock global = library->TakeGlobalLock();
        if (!global.owns_lock()) {
            *error = kSdkErrDeviceBusy;
            return nullptr;
        }
        ScopedCLocale locale;
        session->context_ = gp_context_new();
        if (session->context_ == nullptr || gp_camera_new(&session->camera_) != GP_OK) {
            *error = kSdkErrInternal;
            return nullptr;
        }
        CameraAbilitiesList* abilities = library->Abilities(session->context_);
        if (!model.empty()) {
            // A driver that is not there is no camera, never the detected one instead.
            const int index = abilities != nullptr
                                  ? gp_abilities_list_lookup_model(abilities, model.c_str())
                                  : GP_ERROR;
            CameraAbilities a;
            if (index < 0 || gp_abilities_list_get_abilities(abilities, index, &a) != GP_OK ||
                gp_camera_set_abilities(session->camera_, a) != GP_OK)
                return nullptr;
        }
        GPPortInfoList* ports = Gphoto2Library::CurrentPorts();
        const int index =
            ports != nullptr ? gp_port_info_list_lookup_path(ports, port.c_str()) : -1;
        GPPortInfo info;
        const bool found = index >= 0 && gp_port_info_list_get_info(ports, index, &info) == GP_OK &&
                           gp_camera_set_port_info(session->camera_, info) == GP_OK;
        if (ports != nullptr)
            gp_port_info_list_free(ports);
        if (!found)
            return nullptr;
        int result;
        {
            ScopedForeignAllocations foreign;
            KeepDescriptorZero descriptorZero;
            result = gp_camera_init(session->camera_, session->context_);
        }
        if (result < GP_OK) {
            if (IsHeld(result))
                *error = kSdkErrDeviceHeld;
            KeepDescriptorZero descriptorZero;
            gp_camera_free(session->camera_);
            session->camera_ = nullptr;
            return nullptr;
        }
        CameraAbilities opened;
        if (gp_camera_get_abilities(session->camera_, &opened) == GP_OK) {
            session->model_ = opened.model;
            session->previewInAbilities_ = (opened.operations & GP_OPERATION_CAPTURE_PREVIEW) != 0;
        }
    }
    // Drivers that serve many models (network cameras) say which one in the camera.
    {
        std::lock_guard lock(session->cameraMutex_);
        ScopedCLocale locale;
        std::string name;
        int number;
        bool readOnly;
        if (session->ReadValueLocked(*FindRoute(kPropProductName), &name, &number, &readOnly) ==
                kSdkOk &&
            !name.empty())
            session->model_ = name;
    }
    session->events_ = std::thread([raw = session.get()] { raw->RunEvents(); });
    *error = kSdkOk;
    return session;
}

CameraSession::~CameraSession() {
    StopEvents();
    if (camera_ != nullptr) {
        std::lock_guard global(library_->GlobalLock());
        ScopedCLocale locale;
        ScopedForeignAllocations foreign;
        KeepDescriptorZero descriptorZero;
        gp_camera_exit(camera_, context_);
        gp_camera_free(camera_);
    }
    if (context_ != nullptr)
        gp_context_unref(context_);
}

void CameraSession::StopEvents() {
    {
        std::lock_guard lock(stateMutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (events_.joinable()) {
        if (events_.get_id() == std::this_thread::get_id())
            events_.detach();  // the last reference went on the event thread itself
        else
            events_.join();
    }
}

bool CameraSession::Gone() const {
    std::lock_guard lock(stateMutex_);
    return gone_;
}

void CameraSession::MarkGone() {
    {
        std::lock_guard lock(stateMutex_);
        if (gone_)
            return;
        gone_ = true;
        pending_.push_back(Event{Event::Kind::kGone, {}, {}, 0});
    }
    wake_.notify_all();
}

void CameraSession::Post(Event event) {
    {
        std::lock_guard lock(stateMutex_);
        pending_.push_back(std::move(event));
    }
    wake_.notify_all();
}

SdkError CameraSession::Present() {
    return Gone() ? kSdkErrCommDisconnected : kSdkOk;
}

// ---- Outcomes and liveness --------------------------------------------------------------

SdkError CameraSession::OutcomeLocked(int result, SdkError refused) {
    const ResultMapping mapping = MapResult(result);
    switch (mapping.failure) {
        case Failure::kNone:
            return kSdkOk;
        case Failure::kLost:
            MarkGone();
            return kSdkErrCommDisconnected;
        case Failure::kUnclear:
            if (!AliveLocked()) {
                MarkGone();
                return kSdkErrCommDisconnected;
            }
            break;
        case Failure::kRefused:
            break;
    }
    return refused != 0 && mapping.error != kSdkErrDeviceBusy ? refused : mapping.error;
}

bool CameraSession::AliveLocked() {
    std::vector<Event> events;
    const bool alive = PollLocked(1, &events);
    for (Event& e : events)
        Post(std::move(e));
    return alive;
}

bool CameraSession::PollLocked(int timeoutMs, std::vector<Event>* events) {
    for (int round = 0; round < kEventsPerRound; ++round) {
        CameraEventType type = GP_EVENT_TIMEOUT;
        void* data = nullptr;
        const int result =
            gp_camera_wait_for_event(camera_, round == 0 ? timeoutMs : 1, &type, &data, context_);
        if (result < GP_OK) {
            // A broken connection fails every time; one hiccup does not.
            free(data);
            data = nullptr;
            if (gp_camera_wait_for_event(camera_, 1, &type, &data, context_) < GP_OK) {
                free(data);
                return false;
            }
        }
        switch (type) {
            case GP_EVENT_FILE_ADDED: {
                auto* path = static_cast<CameraFilePath*>(data);
                events->push_back(Event{Event::Kind::kPicture, path->folder, path->name, 0});
                break;
            }
            case GP_EVENT_UNKNOWN:
                if (data != nullptr) {
                    std::string entry = EntryOfChangeEvent(static_cast<const char*>(data));
                    if (!entry.empty())
                        events->push_back(Event{Event::Kind::kEntryChanged, {}, entry, 0});
                }
                break;
            default:
                break;
        }
        free(data);
        if (type == GP_EVENT_TIMEOUT)
            break;
    }
    return true;
}

// ---- Events -----------------------------------------------------------------------------

void CameraSession::RunEvents() {
    for (;;) {
        std::vector<Event> events;
        if (!Gone()) {
            std::lock_guard lock(cameraMutex_);
            ScopedCLocale locale;
            if (!PollLocked(kEventWaitMs, &events))
                MarkGone();
        }
        {
            std::unique_lock lock(stateMutex_);
            if (events.empty() && pending_.empty())
                wake_.wait_for(lock, kEventPause, [&] { return stop_ || !pending_.empty(); });
            if (stop_)
                return;
            events.insert(events.end(), pending_.begin(), pending_.end());
            pending_.clear();
        }
        for (const Event& event : events)
            Dispatch(event);
    }
}

void CameraSession::Dispatch(const Event& event) {
    std::unique_lock lock(subscriptions_->mutex);
    const EventSubscriptions& to = *subscriptions_;
    switch (event.kind) {
        case Event::Kind::kGone: {
            {
                std::lock_guard state(stateMutex_);
                if (goneAnnounced_)
                    return;
                goneAnnounced_ = true;
            }
            const auto handler = to.state.handler;
            void* context = to.state.context;
            const bool wanted =
                to.state.filter == kStateEventAll || to.state.filter == kStateEventShutdown;
            lock.unlock();
            if (handler != nullptr && wanted)
                handler(kStateEventShutdown, 0, context);
            return;
        }
        case Event::Kind::kPicture: {
            const auto handler = to.object.handler;
            void* context = to.object.context;
            const bool wanted = to.object.filter == kObjectEventAll ||
                                to.object.filter == kObjectEventDirItemRequestTransfer;
            lock.unlock();
            // Only pictures meant for the computer are offered for transfer.
            uint32_t saveTo;
            {
                std::lock_guard camera(cameraMutex_);
                saveTo = saveTo_;
            }
            if (handler == nullptr || !wanted || (saveTo & kSaveToHost) == 0)
                return;
            auto picture = std::make_shared<CameraPicture>();
            picture->session = weak_from_this();
            picture->folder = event.folder;
            picture->name = event.name;
            if (SdkBaseRef ref = SdkRegisterObject(picture))
                handler(kObjectEventDirItemRequestTransfer, ref, context);
            return;
        }
        case Event::Kind::kEntryChanged:
        case Event::Kind::kPropertyChanged: {
            const auto handler = to.property.handler;
            void* context = to.property.context;
            const uint32_t filter = to.property.filter;
            lock.unlock();
            if (handler == nullptr)
                return;
            std::vector<SdkPropertyId> ids = event.kind == Event::Kind::kPropertyChanged
                                                 ? std::vector<SdkPropertyId>{event.property}
                                                 : PropertiesOfEntry(event.name);
            for (SdkPropertyId id : ids) {
                if (filter == kPropertyEventAll || filter == kPropertyEventPropertyChanged)
                    handler(kPropertyEventPropertyChanged, id, 0, context);
                // The standard announces a changed value and changed choices alike.
                const Route* route = FindRoute(id);
                if (event.kind == Event::Kind::kEntryChanged && route != nullptr &&
                    IsCoded(route->codec) &&
                    (filter == kPropertyEventAll || filter == kPropertyEventPropertyDescChanged))
                    handler(kPropertyEventPropertyDescChanged, id, 0, context);
            }
            return;
        }
    }
}

}  // namespace talbex::gphoto
