#include "camera/sdk/gphoto2/camera_session.h"

#include <gphoto2/gphoto2-abilities-list.h>
#include <gphoto2/gphoto2-file.h>
#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-widget.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "camera/sdk/gphoto2/gphoto2_results.h"

namespace talbex::gphoto {

namespace {

// The event thread waits this long for an event while holding the camera, then lets
// the program's calls have it for a while.
constexpr int kEventWaitMs = 20;
constexpr auto kEventPause = std::chrono::milliseconds(80);
// At most this many events are taken in one go, so a chatty camera cannot starve calls.
constexpr int kEventsPerRound = 16;
// libgphoto2 sends texts as the standard's strings: 254 characters at most.
constexpr uint32_t kMaxTextBytes = 254;
constexpr uint32_t kJpegFormat = 0x3801;
constexpr uint32_t kUnknownCode = 0xFFFFFFFF;

bool IsLabelled(Codec codec) {
    return codec != Codec::kText && codec != Codec::kDateTime;
}

bool HasChoices(CameraWidget* widget) {
    CameraWidgetType type;
    gp_widget_get_type(widget, &type);
    return type == GP_WIDGET_RADIO || type == GP_WIDGET_MENU;
}

// The widget's value as text (numbers in the "C" form); empty when it has none.
std::string TextOf(CameraWidget* widget) {
    CameraWidgetType type;
    gp_widget_get_type(widget, &type);
    char buffer[32];
    switch (type) {
        case GP_WIDGET_TEXT:
        case GP_WIDGET_RADIO:
        case GP_WIDGET_MENU: {
            const char* value = nullptr;
            if (gp_widget_get_value(widget, &value) < GP_OK || value == nullptr)
                return "";
            return value;
        }
        case GP_WIDGET_RANGE: {
            float value = 0;
            gp_widget_get_value(widget, &value);
            std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
            return buffer;
        }
        case GP_WIDGET_TOGGLE:
        case GP_WIDGET_DATE: {
            int value = 0;
            gp_widget_get_value(widget, &value);
            std::snprintf(buffer, sizeof buffer, "%d", value);
            return buffer;
        }
        default:
            return "";
    }
}

bool IsValidTime(const SdkTime& t) {
    return t.year >= 1970 && t.year <= 2099 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= 31 && t.hour <= 23 && t.minute <= 59 && t.second <= 59;
}

void CopyText(char* out, size_t capacity, const std::string& text) {
    std::snprintf(out, capacity, "%s", text.c_str());
}

}  // namespace

CameraSession::Entry::~Entry() {
    if (root != nullptr)
        gp_widget_free(root);
}

CameraSession::CameraSession(std::shared_ptr<Gphoto2Library> library, std::string port)
    : library_(std::move(library)), port_(std::move(port)) {}

std::shared_ptr<CameraSession> CameraSession::Open(std::shared_ptr<Gphoto2Library> library,
                                                   const std::string& model,
                                                   const std::string& port, SdkError* error) {
    std::shared_ptr<CameraSession> session(new CameraSession(library, port));
    *error = kSdkErrDeviceNotFound;
    {
        std::lock_guard global(library->GlobalLock());
        ScopedCLocale locale;
        session->context_ = gp_context_new();
        if (session->context_ == nullptr || gp_camera_new(&session->camera_) != GP_OK) {
            *error = kSdkErrInternal;
            return nullptr;
        }
        CameraAbilitiesList* abilities = library->Abilities(session->context_);
        if (!model.empty() && abilities != nullptr) {
            const int index = gp_abilities_list_lookup_model(abilities, model.c_str());
            CameraAbilities a;
            if (index >= 0 && gp_abilities_list_get_abilities(abilities, index, &a) == GP_OK)
                gp_camera_set_abilities(session->camera_, a);
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
            if (result == GP_ERROR_CAMERA_BUSY || result == GP_ERROR_IO_USB_CLAIM)
                *error = kSdkErrDeviceBusy;  // another program holds the camera
            KeepDescriptorZero descriptorZero;
            gp_camera_free(session->camera_);
            session->camera_ = nullptr;
            return nullptr;
        }
        CameraAbilities opened;
        if (gp_camera_get_abilities(session->camera_, &opened) == GP_OK)
            session->model_ = opened.model;
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

SdkError CameraSession::DeviceInfo(SdkDeviceInfo* out) {
    if (Gone())
        return kSdkErrCommDisconnected;
    *out = SdkDeviceInfo{};
    CopyText(out->portName, sizeof out->portName, port_);
    CopyText(out->deviceDescription, sizeof out->deviceDescription, model_);
    out->deviceSubType = 1;  // the current protocol: never the older one
    return kSdkOk;
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
    std::unique_lock lock(stateMutex_);
    switch (event.kind) {
        case Event::Kind::kGone: {
            if (goneAnnounced_)
                return;
            goneAnnounced_ = true;
            const auto handler = state_.handler;
            void* context = state_.context;
            const bool wanted =
                state_.filter == kStateEventAll || state_.filter == kStateEventShutdown;
            lock.unlock();
            if (handler != nullptr && wanted)
                handler(kStateEventShutdown, 0, context);
            return;
        }
        case Event::Kind::kPicture: {
            const auto handler = object_.handler;
            void* context = object_.context;
            const bool wanted = object_.filter == kObjectEventAll ||
                                object_.filter == kObjectEventDirItemRequestTransfer;
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
            const auto handler = property_.handler;
            void* context = property_.context;
            const uint32_t filter = property_.filter;
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
                    IsLabelled(route->codec) &&
                    (filter == kPropertyEventAll || filter == kPropertyEventPropertyDescChanged))
                    handler(kPropertyEventPropertyDescChanged, id, 0, context);
            }
            return;
        }
    }
}

template <typename Handler>
SdkError CameraSession::Subscribe(Subscription<Handler>& to, uint32_t all, uint32_t event,
                                  Handler handler, void* context) {
    if ((event & 0xFFFFFF00u) != all)
        return kSdkErrInvalidParameter;
    std::lock_guard lock(stateMutex_);
    if (gone_)
        return kSdkErrCommDisconnected;
    to = {event, handler, context};
    return kSdkOk;
}

SdkError CameraSession::SetPropertyHandler(SdkPropertyEvent event, SdkPropertyEventHandler handler,
                                           void* context) {
    return Subscribe(property_, kPropertyEventAll, event, handler, context);
}

SdkError CameraSession::SetObjectHandler(SdkObjectEvent event, SdkObjectEventHandler handler,
                                         void* context) {
    return Subscribe(object_, kObjectEventAll, event, handler, context);
}

SdkError CameraSession::SetStateHandler(SdkStateEvent event, SdkStateEventHandler handler,
                                        void* context) {
    return Subscribe(state_, kStateEventAll, event, handler, context);
}

// ---- Configuration entries --------------------------------------------------------------

SdkError CameraSession::ReadEntryLocked(const Route& route, std::unique_ptr<Entry>* out) {
    auto known = entryNames_.find(route.id);
    for (const char* name : route.entries) {
        if (name == nullptr)
            break;
        if (known != entryNames_.end() && known->second != name)
            continue;
        auto entry = std::make_unique<Entry>();
        const int result = gp_camera_get_single_config(camera_, name, &entry->root, context_);
        if (result == GP_OK) {
            entry->widget = entry->root;
            entry->name = name;
            entryNames_[route.id] = name;
            *out = std::move(entry);
            return kSdkOk;
        }
        // A camera without the entry says so with "bad parameters"; anything else is a
        // failure of the camera itself.
        if (result != GP_ERROR_BAD_PARAMETERS && result != GP_ERROR_NOT_SUPPORTED)
            return OutcomeLocked(result);
    }
    entryNames_[route.id] = "";
    return kSdkErrNotSupported;
}

SdkError CameraSession::ReadValueLocked(const Route& route, std::string* text, int* number,
                                        bool* readOnly) {
    std::unique_ptr<Entry> entry;
    if (SdkError e = ReadEntryLocked(route, &entry))
        return e;
    *text = TextOf(entry->widget);
    *number = std::atoi(text->c_str());
    int ro = 0;
    gp_widget_get_readonly(entry->widget, &ro);
    *readOnly = ro != 0;
    return kSdkOk;
}

SdkError CameraSession::StoreEntryLocked(Entry& entry) {
    const int result =
        gp_camera_set_single_config(camera_, entry.name.c_str(), entry.widget, context_);
    if (result != GP_OK)
        return OutcomeLocked(result, kSdkErrInvalidValue);
    // Cameras that announce the change announce it again; one that does not still has
    // its new value read back, as the program expects.
    for (SdkPropertyId id : PropertiesOfEntry(entry.name))
        Post(Event{Event::Kind::kPropertyChanged, {}, {}, id});
    return kSdkOk;
}

// ---- Properties -------------------------------------------------------------------------

SdkError CameraSession::PropertySize(SdkPropertyId id, SdkDataType* type, uint32_t* size) {
    if (Gone())
        return kSdkErrCommDisconnected;
    switch (id) {
        case kPropSaveTo:
        case kPropEvfMode:
        case kPropEvfOutputDevice:
            *type = kDataTypeUInt32;
            *size = sizeof(uint32_t);
            return kSdkOk;
        case kPropFocusInfo:
            *type = kDataTypeFocusInfo;
            *size = sizeof(SdkFocusInfo);
            return kSdkOk;
        case kPropShutterCount:
            return kSdkErrPropertyUnavailable;  // only through the shutter-count lookup
        default:
            break;
    }
    const Route* route = FindRoute(id);
    if (route == nullptr)
        return kSdkErrNotSupported;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    std::string text;
    int number;
    bool readOnly;
    if (SdkError e = ReadValueLocked(*route, &text, &number, &readOnly))
        return e;
    switch (route->codec) {
        case Codec::kText:
            *type = kDataTypeString;
            *size = static_cast<uint32_t>(text.size() + 1);
            break;
        case Codec::kDateTime:
            *type = kDataTypeTime;
            *size = sizeof(SdkTime);
            break;
        default:
            *type = kDataTypeUInt32;
            *size = sizeof(uint32_t);
            break;
    }
    return kSdkOk;
}

SdkError CameraSession::PropertyData(SdkPropertyId id, uint32_t size, void* out) {
    if (Gone())
        return kSdkErrCommDisconnected;
    auto value32 = [&](uint32_t v) {
        if (size < sizeof v)
            return kSdkErrInvalidLength;
        std::memcpy(out, &v, sizeof v);
        return kSdkOk;
    };
    if (id == kPropFocusInfo) {
        // No autofocus frames are known through the standard: an empty record.
        if (size < sizeof(SdkFocusInfo))
            return kSdkErrInvalidLength;
        std::memset(out, 0, sizeof(SdkFocusInfo));
        return kSdkOk;
    }
    if (id == kPropSaveTo || id == kPropEvfMode || id == kPropEvfOutputDevice) {
        std::lock_guard lock(cameraMutex_);
        return value32(id == kPropSaveTo ? saveTo_ : id == kPropEvfMode ? evfMode_ : evfOutput_);
    }
    const Route* route = FindRoute(id);
    if (route == nullptr || id == kPropShutterCount)
        return id == kPropShutterCount ? kSdkErrPropertyUnavailable : kSdkErrNotSupported;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    std::string text;
    int number;
    bool readOnly;
    if (SdkError e = ReadValueLocked(*route, &text, &number, &readOnly))
        return e;
    switch (route->codec) {
        case Codec::kText:
            if (size < text.size() + 1)
                return kSdkErrInvalidLength;
            std::memcpy(out, text.c_str(), text.size() + 1);
            return kSdkOk;
        case Codec::kDateTime: {
            if (size < sizeof(SdkTime))
                return kSdkErrInvalidLength;
            const time_t seconds = number;
            struct tm tm {};
            if (localtime_r(&seconds, &tm) == nullptr)
                return kSdkErrInternal;
            const SdkTime time{static_cast<uint32_t>(tm.tm_year + 1900),
                               static_cast<uint32_t>(tm.tm_mon + 1),
                               static_cast<uint32_t>(tm.tm_mday),
                               static_cast<uint32_t>(tm.tm_hour),
                               static_cast<uint32_t>(tm.tm_min),
                               static_cast<uint32_t>(tm.tm_sec),
                               0};
            std::memcpy(out, &time, sizeof time);
            return kSdkOk;
        }
        default:
            // A setting the program has no code for reads as "unknown".
            return value32(CodeOfText(*route, text).value_or(kUnknownCode));
    }
}

SdkError CameraSession::SetProperty(SdkPropertyId id, uint32_t size, const void* data) {
    if (Gone())
        return kSdkErrCommDisconnected;
    if (id == kPropSaveTo || id == kPropEvfMode || id == kPropEvfOutputDevice) {
        if (size != sizeof(uint32_t))
            return kSdkErrInvalidLength;
        uint32_t value;
        std::memcpy(&value, data, sizeof value);
        std::lock_guard lock(cameraMutex_);
        ScopedCLocale locale;
        if (id == kPropSaveTo) {
            if (value < 1 || value > 3)
                return kSdkErrInvalidValue;
            saveTo_ = value;
        } else {
            if (value > (id == kPropEvfMode ? 1u : 3u))
                return kSdkErrInvalidValue;
            // Live view needs preview frames from the camera; without them it cannot start.
            const bool starts =
                id == kPropEvfMode ? value == 1 : (value & kEvfOutputDeviceComputer);
            if (starts && !LiveViewLocked())
                return Gone() ? kSdkErrCommDisconnected : kSdkErrNotSupported;
            (id == kPropEvfMode ? evfMode_ : evfOutput_) = value;
        }
        Post(Event{Event::Kind::kPropertyChanged, {}, {}, id});
        return kSdkOk;
    }
    const Route* route = FindRoute(id);
    if (route == nullptr || !route->writable)
        return kSdkErrNotSupported;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    return WriteRouteLocked(*route, size, data);
}

SdkError CameraSession::WriteRouteLocked(const Route& route, uint32_t size, const void* data) {
    std::unique_ptr<Entry> entry;
    if (SdkError e = ReadEntryLocked(route, &entry))
        return e;
    int readOnly = 0;
    gp_widget_get_readonly(entry->widget, &readOnly);
    if (readOnly != 0)
        return kSdkErrNotSupported;

    if (route.codec == Codec::kText) {
        const auto* bytes = static_cast<const char*>(data);
        const void* end = size > 0 ? std::memchr(bytes, '\0', size) : nullptr;
        if (end == nullptr)
            return kSdkErrInvalidLength;
        const size_t length = static_cast<const char*>(end) - bytes;
        if (length > kMaxTextBytes)
            return kSdkErrInvalidLength;
        if (gp_widget_set_value(entry->widget, bytes) != GP_OK)
            return kSdkErrInvalidValue;
        return StoreEntryLocked(*entry);
    }
    if (route.codec == Codec::kDateTime) {
        if (size < sizeof(SdkTime))
            return kSdkErrInvalidLength;
        SdkTime time;
        std::memcpy(&time, data, sizeof time);
        if (!IsValidTime(time))
            return kSdkErrInvalidValue;
        struct tm tm {};
        tm.tm_year = static_cast<int>(time.year) - 1900;
        tm.tm_mon = static_cast<int>(time.month) - 1;
        tm.tm_mday = static_cast<int>(time.day);
        tm.tm_hour = static_cast<int>(time.hour);
        tm.tm_min = static_cast<int>(time.minute);
        tm.tm_sec = static_cast<int>(time.second);
        tm.tm_isdst = -1;
        const int seconds = static_cast<int>(mktime(&tm));
        if (gp_widget_set_value(entry->widget, &seconds) != GP_OK)
            return kSdkErrInvalidValue;
        return StoreEntryLocked(*entry);
    }

    if (size != sizeof(uint32_t))
        return kSdkErrInvalidLength;
    uint32_t code;
    std::memcpy(&code, data, sizeof code);
    if (HasChoices(entry->widget)) {
        // The camera's own wording of the value: the first choice that stands for the code.
        const int count = gp_widget_count_choices(entry->widget);
        for (int i = 0; i < count; ++i) {
            const char* choice = nullptr;
            if (gp_widget_get_choice(entry->widget, i, &choice) == GP_OK && choice != nullptr &&
                CodeOfText(route, choice) == code) {
                if (gp_widget_set_value(entry->widget, choice) != GP_OK)
                    return kSdkErrInvalidValue;
                return StoreEntryLocked(*entry);
            }
        }
        return kSdkErrInvalidValue;  // not among the values the camera offers
    }
    auto text = TextOfCode(route, code);
    if (!text)
        return kSdkErrInvalidValue;
    CameraWidgetType type;
    gp_widget_get_type(entry->widget, &type);
    int result;
    if (type == GP_WIDGET_RANGE) {
        const float value = std::strtof(text->c_str(), nullptr);
        result = gp_widget_set_value(entry->widget, &value);
    } else if (type == GP_WIDGET_TEXT) {
        result = gp_widget_set_value(entry->widget, text->c_str());
    } else {
        return kSdkErrNotSupported;
    }
    if (result != GP_OK)
        return kSdkErrInvalidValue;
    return StoreEntryLocked(*entry);
}

SdkError CameraSession::PropertyDesc(SdkPropertyId id, SdkPropertyDesc* out) {
    if (Gone())
        return kSdkErrCommDisconnected;
    *out = SdkPropertyDesc{};
    if (id == kPropSaveTo || id == kPropEvfMode || id == kPropEvfOutputDevice) {
        out->access = 1;
        return kSdkOk;
    }
    const Route* route = FindRoute(id);
    if (route == nullptr || id == kPropShutterCount)
        return kSdkErrNotSupported;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    std::unique_ptr<Entry> entry;
    if (SdkError e = ReadEntryLocked(*route, &entry))
        return e;
    int readOnly = 0;
    gp_widget_get_readonly(entry->widget, &readOnly);
    out->access = route->writable && readOnly == 0 ? 1 : 0;
    if (!IsLabelled(route->codec) || !HasChoices(entry->widget))
        return kSdkOk;
    out->form = 1;  // a list of values
    const int count = gp_widget_count_choices(entry->widget);
    for (int i = 0; i < count && out->numElements < 128; ++i) {
        const char* choice = nullptr;
        if (gp_widget_get_choice(entry->widget, i, &choice) != GP_OK || choice == nullptr)
            continue;
        // A value without a code is left out; two wordings of one code count once.
        auto code = CodeOfText(*route, choice);
        if (!code)
            continue;
        const auto value = static_cast<int32_t>(*code);
        int32_t* end = out->propDesc + out->numElements;
        if (std::find(out->propDesc, end, value) == end)
            out->propDesc[out->numElements++] = value;
    }
    return kSdkOk;
}

SdkError CameraSession::ShutterCount(uint32_t* out) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    std::string text;
    int number;
    bool readOnly;
    const SdkError e = ReadValueLocked(*FindRoute(kPropShutterCount), &text, &number, &readOnly);
    if (e == kSdkErrNotSupported)
        return kSdkErrPropertyUnavailable;
    if (e != kSdkOk)
        return e;
    auto count = CodeOfText(*FindRoute(kPropShutterCount), text);
    if (!count)
        return kSdkErrPropertyUnavailable;
    *out = *count;
    return kSdkOk;
}

// ---- Shooting ---------------------------------------------------------------------------

SdkError CameraSession::Command(SdkCameraCommand command, int32_t param) {
    if (Gone())
        return kSdkErrCommDisconnected;
    if (command == kCameraCommandPressShutterButton && param == kShutterButtonOff)
        return kSdkOk;  // nothing is pressed that could be released
    if (command != kCameraCommandTakePicture)
        return kSdkErrNotSupported;  // half and full press, live-view focus: not standard
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    // The picture is announced by the camera's "file added" event; a driver that can
    // only capture and wait gives its path here instead.
    int result = gp_camera_trigger_capture(camera_, context_);
    if (result == GP_ERROR_NOT_SUPPORTED) {
        CameraFilePath path{};
        result = gp_camera_capture(camera_, GP_CAPTURE_IMAGE, &path, context_);
        if (result == GP_OK)
            Post(Event{Event::Kind::kPicture, path.folder, path.name, 0});
    }
    return OutcomeLocked(result, kSdkErrTakePictureFailed);
}

// ---- Pictures ---------------------------------------------------------------------------

SdkError CameraSession::PictureInfo(const CameraPicture& picture, SdkDirectoryItemInfo* out) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    CameraFileInfo info{};
    const int result = gp_camera_file_get_info(camera_, picture.folder.c_str(),
                                               picture.name.c_str(), &info, context_);
    if (result != GP_OK)
        return OutcomeLocked(result);
    *out = SdkDirectoryItemInfo{};
    if (info.file.fields & GP_FILE_INFO_SIZE)
        out->size = static_cast<uint32_t>(std::min<uint64_t>(info.file.size, UINT32_MAX));
    if ((info.file.fields & GP_FILE_INFO_TYPE) && std::strcmp(info.file.type, GP_MIME_JPEG) == 0)
        out->format = kJpegFormat;
    if (info.file.fields & GP_FILE_INFO_MTIME)
        out->dateTime = static_cast<uint32_t>(info.file.mtime);
    CopyText(out->fileName, sizeof out->fileName, picture.name);
    return kSdkOk;
}

SdkError CameraSession::Download(const CameraPicture& picture, uint64_t size, SdkStream& stream) {
    if (Gone())
        return kSdkErrCommDisconnected;
    // libgphoto2 hands the picture over part by part; each part goes straight into the
    // program's stream, with progress as it grows.
    struct Sink {
        SdkStream& stream;
        uint64_t size;
        uint64_t written = 0;
        uint32_t reported = 0;
        bool cancelled = false;
        SdkError error = kSdkOk;

        static int Size(void* priv, uint64_t* out) {
            *out = static_cast<Sink*>(priv)->written;
            return GP_OK;
        }
        static int Read(void*, unsigned char*, uint64_t*) { return GP_ERROR_NOT_SUPPORTED; }
        static int Write(void* priv, unsigned char* data, uint64_t* length) {
            auto* s = static_cast<Sink*>(priv);
            if (SdkError e = s->stream.Write(data, *length)) {
                s->error = e;
                return GP_ERROR_CANCEL;
            }
            s->written += *length;
            const auto percent = static_cast<uint32_t>(
                s->size == 0 ? 100 : std::min<uint64_t>(100, s->written * 100 / s->size));
            if (percent != s->reported) {
                s->reported = percent;
                if (s->stream.ReportProgress(percent)) {
                    s->cancelled = true;
                    return GP_ERROR_CANCEL;
                }
            }
            return GP_OK;
        }
    } sink{stream, size};
    CameraFileHandler handler{&Sink::Size, &Sink::Read, &Sink::Write};

    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    if (stream.ReportProgress(0))
        return kSdkErrInternal;  // cancelled by the receiver
    CameraFile* file = nullptr;
    if (gp_file_new_from_handler(&file, &handler, &sink) != GP_OK)
        return kSdkErrInternal;
    const int result = gp_camera_file_get(camera_, picture.folder.c_str(), picture.name.c_str(),
                                          GP_FILE_TYPE_NORMAL, file, context_);
    gp_file_unref(file);
    if (sink.error != kSdkOk)
        return sink.error;
    if (sink.cancelled)
        return kSdkErrInternal;
    if (result != GP_OK)
        return OutcomeLocked(result);
    if (sink.reported != 100)
        stream.ReportProgress(100);
    return kSdkOk;
}

SdkError CameraSession::DownloadComplete(const CameraPicture& picture) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    // A picture meant for the computer alone leaves the card once it has arrived.
    if (saveTo_ != kSaveToHost)
        return kSdkOk;
    const int result =
        gp_camera_file_delete(camera_, picture.folder.c_str(), picture.name.c_str(), context_);
    const SdkError e = OutcomeLocked(result);
    return e == kSdkErrCommDisconnected ? e : kSdkOk;
}

// ---- Live view --------------------------------------------------------------------------

bool CameraSession::LiveViewLocked() {
    if (!liveView_) {
        CameraFile* file = nullptr;
        if (gp_file_new(&file) != GP_OK)
            return false;
        const int result = gp_camera_capture_preview(camera_, file, context_);
        gp_file_unref(file);
        if (result == GP_OK)
            liveView_ = true;
        else if (OutcomeLocked(result) != kSdkErrCommDisconnected)
            liveView_ = false;
    }
    return liveView_.value_or(false);
}

SdkError CameraSession::EvfImage(SdkEvfImage& image) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    if ((evfOutput_ & kEvfOutputDeviceComputer) == 0)
        return kSdkErrObjectNotReady;
    if (!LiveViewLocked())
        return Gone() ? kSdkErrCommDisconnected : kSdkErrNotSupported;
    CameraFile* file = nullptr;
    if (gp_file_new(&file) != GP_OK)
        return kSdkErrInternal;
    const int result = gp_camera_capture_preview(camera_, file, context_);
    const char* data = nullptr;
    unsigned long length = 0;
    SdkError e = OutcomeLocked(result);
    if (e == kSdkOk && (gp_file_get_data_and_size(file, &data, &length) != GP_OK || length == 0))
        e = kSdkErrObjectNotReady;
    if (e == kSdkOk) {
        image.stream->Truncate();
        e = image.stream->Write(data, length);
        image.zoom = 1;
        image.zoomRect = SdkRect{};
        image.imagePosition = tagSdkPoint{};
        image.histogram.fill(0);
        image.coordinateSystem = SdkSize{};
    }
    gp_file_unref(file);
    return e;
}

}  // namespace talbex::gphoto
