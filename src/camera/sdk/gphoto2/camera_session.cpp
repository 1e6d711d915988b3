#include "camera/sdk/gphoto2/camera_session.h"

#include <gphoto2/gphoto2-abilities-list.h>
#include <gphoto2/gphoto2-list.h>
#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

#include <cstdlib>

#include "camera/sdk/gphoto2/gphoto2_results.h"
#include "camera/sdk/gphoto2/lasting_settings.h"

namespace talbex::gphoto {

namespace {

// The event thread waits this long for an event while holding the camera, then lets
// the program's calls have it for a while.
constexpr int kEventWaitMs = 20;
constexpr auto kEventPause = std::chrono::milliseconds(80);
// At most this many events are taken in one go, so a chatty camera cannot starve calls.
constexpr int kEventsPerRound = 16;
// How deep and how far the session looks over a card whose pictures libgphoto2 would
// otherwise take for new ones.
constexpr int kCardDepth = 6;
// How long after the program's own shot the camera is asked for its picture without pause.
constexpr auto kPictureDue = std::chrono::seconds(10);
constexpr auto kDuePause = std::chrono::milliseconds(2);
constexpr int kCardPictures = 50000;

// Where libgphoto2 announces a picture it took off the camera's memory itself.
constexpr char kHandedOverFolder[] = "/";

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
    {
        std::lock_guard lock(session->cameraMutex_);
        ScopedCLocale locale;
        session->family_ = &session->LearnFamilyLocked();
        // Drivers that serve many models (network cameras) say which one in the camera.
        std::string name;
        int number;
        bool readOnly;
        if (session->ReadValueLocked(*FindRoute(session->family(), kPropProductName), &name,
                                     &number, &readOnly) == kSdkOk &&
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
        {
            // A camera that left without the session's close still has its settings and
            // its handed-over pictures to answer for.
            std::lock_guard lock(cameraMutex_);
            ScopedCLocale locale;
            PutBackCaptureTargetLocked();
            RescueHandedOverLocked();
        }
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

void CameraSession::ExpectPicture() {
    {
        std::lock_guard lock(stateMutex_);
        pictureDue_ = std::chrono::steady_clock::now() + kPictureDue;
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

const Family& CameraSession::LearnFamilyLocked() {
    auto entry = [this](const char* name) {
        CameraWidget* widget = nullptr;
        const int result = gp_camera_get_single_config(camera_, name, &widget, context_);
        const bool found = result == GP_OK && widget != nullptr;
        if (widget != nullptr)
            gp_widget_free(widget);
        return found;
    };
    std::string manufacturer;
    CameraWidget* widget = nullptr;
    if (gp_camera_get_single_config(camera_, "manufacturer", &widget, context_) == GP_OK &&
        widget != nullptr) {
        CameraWidgetType type;
        const char* text = nullptr;
        if (gp_widget_get_type(widget, &type) == GP_OK && type == GP_WIDGET_TEXT &&
            gp_widget_get_value(widget, &text) == GP_OK && text != nullptr)
            manufacturer = text;
    }
    if (widget != nullptr)
        gp_widget_free(widget);
    return FamilyOf(manufacturer, entry);
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
        const int result = ForeignCall([&] {
            return gp_camera_wait_for_event(camera_, round == 0 ? timeoutMs : 1, &type, &data,
                                            context_);
        });
        // A camera busy after its shot answers, so it is here: asked again next round.
        if (result == GP_ERROR_CAMERA_BUSY) {
            free(data);
            break;
        }
        if (result < GP_OK) {
            // A broken connection fails every time; one hiccup does not.
            free(data);
            data = nullptr;
            const int again = ForeignCall(
                [&] { return gp_camera_wait_for_event(camera_, 1, &type, &data, context_); });
            if (again < GP_OK) {
                free(data);
                return again == GP_ERROR_CAMERA_BUSY;
            }
        }
        switch (type) {
            case GP_EVENT_FILE_ADDED: {
                auto* path = static_cast<CameraFilePath*>(data);
                events->push_back(Event{Event::Kind::kPicture, path->folder, path->name, 0});
                // libgphoto2 announces what it took off the camera's memory in its own
                // folder: until the program confirms it, the session answers for it.
                if (events->back().folder == kHandedOverFolder)
                    unconfirmed_.emplace_back(path->folder, path->name);
                break;
            }
            case GP_EVENT_UNKNOWN:
                if (data != nullptr) {
                    const std::string_view text = static_cast<const char*>(data);
                    std::string entry = EntryOfChangeEvent(text);
                    if (!entry.empty())
                        events->push_back(Event{Event::Kind::kEntryChanged, {}, entry, 0});
                    // The eos family's autofocus points come with a text of their own.
                    else if (text.starts_with("FocusInfo "))
                        events->push_back(
                            Event{Event::Kind::kPropertyChanged, {}, {}, kPropFocusInfo});
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

void CameraSession::AnnounceKeptProperties() {
    // A body of the current protocol tells a new session every setting it keeps, value
    // and choices; libgphoto2 tells nothing until something changes, so the session asks,
    // when someone listens.
    {
        std::lock_guard lock(subscriptions_->mutex);
        if (subscriptions_->property.handler == nullptr)
            return;
    }
    std::vector<SdkPropertyId> kept;
    {
        std::lock_guard lock(cameraMutex_);
        ScopedCLocale locale;
        for (const Route& common : Routes()) {
            const Route& route = *FindRoute(*family_, common.id);
            std::unique_ptr<Entry> entry;
            if (IsCoded(route.codec) && route.id != kPropShutterCount && !Gone() &&
                ReadEntryLocked(route, &entry) == kSdkOk)
                kept.push_back(route.id);
        }
    }
    for (SdkPropertyId id : kept)
        Post(Event{Event::Kind::kKept, {}, {}, id});
}

void CameraSession::SeeTheCardLocked(const std::string& folder, int depth, int* budget) {
    // Listing a folder is what makes libgphoto2 know its pictures.
    CameraList* files = nullptr;
    if (gp_list_new(&files) == GP_OK) {
        if (ForeignCall([&] {
                return gp_camera_folder_list_files(camera_, folder.c_str(), files, context_);
            }) >= GP_OK)
            *budget -= gp_list_count(files);
        gp_list_free(files);
    }
    CameraList* folders = nullptr;
    if (depth >= kCardDepth || *budget <= 0 || gp_list_new(&folders) != GP_OK)
        return;
    if (ForeignCall([&] {
            return gp_camera_folder_list_folders(camera_, folder.c_str(), folders, context_);
        }) >= GP_OK) {
        for (int i = 0; i < gp_list_count(folders) && *budget > 0 && !Gone(); ++i) {
            const char* name = nullptr;
            if (gp_list_get_name(folders, i, &name) == GP_OK && name != nullptr)
                SeeTheCardLocked(folder + (folder.back() == '/' ? "" : "/") + name, depth + 1,
                                 budget);
        }
    }
    gp_list_free(folders);
}

void CameraSession::RunEvents() {
    if (family_->announcesUnseen) {
        std::lock_guard lock(cameraMutex_);
        ScopedCLocale locale;
        int budget = kCardPictures;
        SeeTheCardLocked("/", 0, &budget);
    }
    AnnounceKeptProperties();
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
            for (const Event& e : events)
                if (e.kind == Event::Kind::kPicture)
                    pictureDue_ = {};
            // While a picture the program took is on its way, the camera is asked again
            // almost at once (a moment left for the program's own calls): the picture goes
            // on sooner.
            const bool due = std::chrono::steady_clock::now() < pictureDue_;
            if (events.empty() && pending_.empty())
                wake_.wait_for(lock, due ? kDuePause : kEventPause, [&] {
                    return stop_ || !pending_.empty() ||
                           (!due && std::chrono::steady_clock::now() < pictureDue_);
                });
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
            // libgphoto2 announces what it took off the camera's memory in its own folder
            // "/": until the program confirms it, the session answers for it.
            const bool handedOver = event.folder == kHandedOverFolder;
            uint32_t saveTo;
            {
                std::lock_guard camera(cameraMutex_);
                saveTo = saveTo_;
            }
            // Only pictures meant for the computer are offered for transfer.
            if (handler == nullptr || !wanted || (saveTo & kSaveToHost) == 0)
                return;
            auto picture = std::make_shared<CameraPicture>();
            picture->session = weak_from_this();
            picture->folder = event.folder;
            picture->name = event.name;
            picture->handedOver = handedOver;
            if (SdkBaseRef ref = SdkRegisterObject(picture))
                handler(kObjectEventDirItemRequestTransfer, ref, context);
            return;
        }
        case Event::Kind::kEntryChanged:
        case Event::Kind::kPropertyChanged:
        case Event::Kind::kKept: {
            const auto handler = to.property.handler;
            void* context = to.property.context;
            const uint32_t filter = to.property.filter;
            lock.unlock();
            if (handler == nullptr)
                return;
            std::vector<SdkPropertyId> ids = event.kind != Event::Kind::kEntryChanged
                                                 ? std::vector<SdkPropertyId>{event.property}
                                                 : PropertiesOfEntry(*family_, event.name);
            if (event.kind == Event::Kind::kEntryChanged) {
                // What the camera announces may have come or gone with it (a lens taken
                // off takes its aperture along): looked up afresh at the next read.
                std::lock_guard camera(cameraMutex_);
                for (SdkPropertyId id : ids)
                    entryNames_.erase(id);
                for (size_t c = 0; c < kControlCount; ++c)
                    if (const ControlUse* use = FindControl(*family_, static_cast<Control>(c));
                        use != nullptr && event.name == use->entry)
                        controls_[c].reset();
                if (const ControlUse* focus = FindControl(*family_, Control::kFocusInfo);
                    focus != nullptr && event.name == focus->entry)
                    ids.push_back(kPropFocusInfo);
            }
            for (SdkPropertyId id : ids) {
                // The shutter count is read through its own lookup, never as a property.
                if (id == kPropShutterCount)
                    continue;
                if (filter == kPropertyEventAll || filter == kPropertyEventPropertyChanged)
                    handler(kPropertyEventPropertyChanged, id, 0, context);
                // The standard announces a changed value and changed choices alike, for
                // the settings that have choices.
                const Route* route = FindRoute(*family_, id);
                if (event.kind != Event::Kind::kPropertyChanged && route != nullptr &&
                    IsCoded(route->codec) && route->writable &&
                    (filter == kPropertyEventAll || filter == kPropertyEventPropertyDescChanged))
                    handler(kPropertyEventPropertyDescChanged, id, 0, context);
            }
            return;
        }
    }
}

}  // namespace talbex::gphoto
