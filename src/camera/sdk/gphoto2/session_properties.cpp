// The camera's properties through libgphoto2's configuration entries (property_routes.h),
// and the values the session keeps itself: where pictures go and the live-view switches.
#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-widget.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "camera/sdk/gphoto2/camera_session.h"
#include "platform/os/diagnostics.h"

namespace talbex::gphoto {

namespace {

// libgphoto2 sends texts as the standard's strings: 254 characters at most.
constexpr uint32_t kMaxTextBytes = 254;
// How far a clock read back may be from what was written: the camera's clock runs on.
constexpr int kClockSlackSeconds = 5;

bool HasChoices(CameraWidget* widget) {
    CameraWidgetType type;
    gp_widget_get_type(widget, &type);
    return type == GP_WIDGET_RADIO || type == GP_WIDGET_MENU;
}

// The widget's value as text (numbers in the "C" form, whole ones without exponent);
// empty when it has none.
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
            const double v = value;
            if (std::nearbyint(v) == v && std::fabs(v) < 1e15)
                std::snprintf(buffer, sizeof buffer, "%.0f", v);
            else
                std::snprintf(buffer, sizeof buffer, "%g", v);
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

// "d402", "501e": libgphoto2's name of a standard property it has no name of its own for.
bool IsCodeEntry(const std::string& name) {
    return name.size() == 4 && name.find_first_not_of("0123456789abcdef") == std::string::npos;
}

SdkError Value32(uint32_t value, uint32_t size, void* out) {
    if (size < sizeof value)
        return kSdkErrInvalidLength;
    std::memcpy(out, &value, sizeof value);
    return kSdkOk;
}

}  // namespace

CameraSession::Entry::~Entry() {
    if (root != nullptr)
        gp_widget_free(root);
}

SdkError CameraSession::ReadEntryLocked(const Route& route, std::unique_ptr<Entry>* out) {
    auto known = entryNames_.find(route.id);
    for (const char* name : route.entries) {
        if (name == nullptr)
            break;
        if (known != entryNames_.end() && known->second != name)
            continue;
        auto entry = std::make_unique<Entry>();
        int result;
        {
            // libgphoto2's driver keeps a few bytes for good when the camera cannot describe
            // the entry (busy after its shot).
            ScopedForeignAllocations foreign;
            result = gp_camera_get_single_config(camera_, name, &entry->root, context_);
        }
        // An entry whose reading failed inside libgphoto2 (or any entry of a body that
        // lists no properties) comes back without a widget: the camera has none.
        if (result == GP_OK && entry->root == nullptr)
            continue;
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
        // An entry read before in this session is not gone: libgphoto2 says "bad
        // parameters" too when a camera busy after its shot cannot describe it.
        if (known != entryNames_.end() && known->second == name)
            return kSdkErrDeviceBusy;
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
    // A serial the family pads shows as its own tools show it.
    if (route.id == kPropBodySerial)
        *text = NormalisedSerial(*family_, *text);
    // libgphoto2 names what its tables do not know "Unknown value 00a1" (a lens missing
    // from its list), and a lens it cannot tell at all "Unknown": that tells the user
    // nothing, so the camera has no such text.
    if (route.codec == Codec::kText &&
        (text->rfind("Unknown value", 0) == 0 || (route.id == kPropLensName && *text == "Unknown")))
        return kSdkErrPropertyUnavailable;
    *number = std::atoi(text->c_str());
    int ro = 0;
    gp_widget_get_readonly(entry->widget, &ro);
    *readOnly = ro != 0;
    return kSdkOk;
}

SdkError CameraSession::StoreEntryLocked(Entry& entry) {
    const int result = ForeignCall([&] {
        return gp_camera_set_single_config(camera_, entry.name.c_str(), entry.widget, context_);
    });
    if (result != GP_OK)
        return OutcomeLocked(result, kSdkErrInvalidValue);
    // libgphoto2 answers success for a standard property it knows only by its code,
    // whether or not the camera took the value: such a write counts once it reads back.
    if (IsCodeEntry(entry.name) && !ReadsBackLocked(entry))
        return kSdkErrInvalidValue;
    // Cameras that announce the change announce it again; one that does not still has
    // its new value read back, as the program expects.
    for (SdkPropertyId id : PropertiesOfEntry(*family_, entry.name))
        Post(Event{Event::Kind::kPropertyChanged, {}, {}, id});
    return kSdkOk;
}

bool CameraSession::ReadsBackLocked(const Entry& written) {
    CameraWidget* root = nullptr;
    const int result = gp_camera_get_single_config(camera_, written.name.c_str(), &root, context_);
    const bool same = result == GP_OK && root != nullptr && TextOf(root) == TextOf(written.widget);
    if (root != nullptr)
        gp_widget_free(root);
    return same;
}

SdkError CameraSession::PropertySize(SdkPropertyId id, SdkDataType* type, uint32_t* size) {
    if (Gone())
        return kSdkErrCommDisconnected;
    if (IsSessionValue(id))
        return SessionValueSize(id, type, size);
    switch (id) {
        case kPropFocusInfo:
            *type = kDataTypeFocusInfo;
            *size = sizeof(SdkFocusInfo);
            return kSdkOk;
        case kPropShutterCount:
            return kSdkErrPropertyUnavailable;  // only through the shutter-count lookup
        default:
            break;
    }
    const Route* route = FindRoute(*family_, id);
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
    if (IsSessionValue(id))
        return SessionValue(id, size, out);
    if (id == kPropFocusInfo) {
        // The family's autofocus points where it reports them; none through the standard.
        if (size < sizeof(SdkFocusInfo))
            return kSdkErrInvalidLength;
        std::lock_guard lock(cameraMutex_);
        ScopedCLocale locale;
        const std::optional<FocusPoints> points = FocusPointsLocked();
        const SdkFocusInfo info = points ? points->info : SdkFocusInfo{};
        std::memcpy(out, &info, sizeof info);
        return kSdkOk;
    }
    const Route* route = FindRoute(*family_, id);
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
        default: {
            // A value the program has no code for is no value of its lists: read as none,
            // rather than as a code that means something else (0xFFFFFFFF is a white
            // balance of its own), and never written back as the user's.
            const std::optional<uint32_t> code = CodeOfText(*route, text);
            if (!code)
                return kSdkErrPropertyUnavailable;
            return Value32(*code, size, out);
        }
    }
}

SdkError CameraSession::SetProperty(SdkPropertyId id, uint32_t size, const void* data) {
    if (Gone())
        return kSdkErrCommDisconnected;
    if (IsSessionValue(id))
        return SetSessionValue(id, size, data);
    const Route* route = FindRoute(*family_, id);
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
        if (SdkError e = StoreEntryLocked(*entry))
            return e;
        // libgphoto2 converts some clocks between time zones on their way: the clock is set
        // when it reads back what was written (it runs on meanwhile).
        std::string text;
        int now = 0;
        bool readOnly = false;
        if (ReadValueLocked(route, &text, &now, &readOnly) == kSdkOk &&
            std::abs(now - seconds) > kClockSlackSeconds) {
            os::Diagnostic("the camera's clock reads %d s off what was written to \"%s\"\n",
                           now - seconds, entry->name.c_str());
            return kSdkErrInvalidValue;
        }
        return kSdkOk;
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
                const std::string written = TextForPut(route.put, choice);
                if (gp_widget_set_value(entry->widget, written.c_str()) != GP_OK)
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
    if (IsSessionValue(id)) {
        SdkDataType type;
        uint32_t size;
        if (SdkError e = SessionValueSize(id, &type, &size))
            return e;
        out->access = 1;
        return kSdkOk;
    }
    const Route* route = FindRoute(*family_, id);
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
    if (!IsCoded(route->codec) || !HasChoices(entry->widget))
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
    const SdkError e =
        ReadValueLocked(*FindRoute(*family_, kPropShutterCount), &text, &number, &readOnly);
    if (e == kSdkErrNotSupported)
        return kSdkErrPropertyUnavailable;
    if (e != kSdkOk)
        return e;
    auto count = CodeOfText(*FindRoute(*family_, kPropShutterCount), text);
    if (!count)
        return kSdkErrPropertyUnavailable;
    *out = *count;
    return kSdkOk;
}

bool CameraSession::IsSessionValue(SdkPropertyId id) const {
    return id == kPropSaveTo || id == kPropEvfMode || id == kPropEvfOutputDevice ||
           id == kPropEvfZoom || id == kPropEvfZoomPosition;
}

SdkError CameraSession::SessionValueSize(SdkPropertyId id, SdkDataType* type, uint32_t* size) {
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    // The live-view values exist only where the camera can have live view, and zoom
    // only where it has its zoom controls.
    const bool offered = id == kPropSaveTo ? true
                         : id == kPropEvfMode || id == kPropEvfOutputDevice
                             ? MayHaveLiveViewLocked()
                         : id == kPropEvfZoom ? HasControlLocked(Control::kZoom)
                                              : HasControlLocked(Control::kZoomPosition);
    if (!offered)
        return Gone() ? kSdkErrCommDisconnected : kSdkErrNotSupported;
    *type = id == kPropEvfZoomPosition ? kDataTypePoint : kDataTypeUInt32;
    *size = id == kPropEvfZoomPosition ? sizeof(tagSdkPoint) : sizeof(uint32_t);
    return kSdkOk;
}

SdkError CameraSession::SessionValue(SdkPropertyId id, uint32_t size, void* out) {
    SdkDataType type;
    uint32_t needed;
    if (SdkError e = SessionValueSize(id, &type, &needed))
        return e;
    std::lock_guard lock(cameraMutex_);
    if (id == kPropEvfZoomPosition) {
        if (size < sizeof zoomAt_)
            return kSdkErrInvalidLength;
        const SdkRect zoom = ZoomRectLocked(evfArea_);
        const tagSdkPoint at = evfArea_.width > 0 ? tagSdkPoint{zoom.x, zoom.y} : zoomAt_;
        std::memcpy(out, &at, sizeof at);
        return kSdkOk;
    }
    return Value32(id == kPropSaveTo    ? saveTo_
                   : id == kPropEvfMode ? evfMode_
                   : id == kPropEvfZoom ? zoom_
                                        : evfOutput_,
                   size, out);
}

SdkError CameraSession::SetSessionValue(SdkPropertyId id, uint32_t size, const void* data) {
    const uint32_t expected = id == kPropEvfZoomPosition ? sizeof(tagSdkPoint) : sizeof(uint32_t);
    if (size != expected)
        return kSdkErrInvalidLength;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    if (id == kPropEvfZoomPosition) {
        tagSdkPoint at;
        std::memcpy(&at, data, sizeof at);
        if (at.x < 0 || at.y < 0)
            return kSdkErrInvalidValue;
        // The camera takes its own coordinates, the ones the frames report.
        if (evfArea_.width > 0) {
            const SdkRect zoom = ZoomRectLocked(evfArea_);
            at.x = std::min(at.x, evfArea_.width - zoom.width);
            at.y = std::min(at.y, evfArea_.height - zoom.height);
        }
        const std::string text = std::to_string(at.x) + "," + std::to_string(at.y);
        if (SdkError e = SetControlLocked(Control::kZoomPosition, text, 0))
            return e;
        zoomAt_ = at;
        zoomAtSet_ = true;
        Post(Event{Event::Kind::kPropertyChanged, {}, {}, id});
        return kSdkOk;
    }
    uint32_t value;
    std::memcpy(&value, data, sizeof value);
    switch (id) {
        case kPropSaveTo:
            if (value < 1 || value > 3)
                return kSdkErrInvalidValue;
            // Only noted: the camera's capture target is pointed there when the program
            // itself takes a picture (AimCaptureTargetLocked), and put back afterwards.
            saveTo_ = value;
            break;
        case kPropEvfZoom:
            if (value < 1 || value > 10)
                return kSdkErrInvalidValue;
            if (SdkError e = SetControlLocked(Control::kZoom, std::to_string(value), 0))
                return e;
            zoom_ = value;
            break;
        default: {
            if (value > (id == kPropEvfMode ? 1u : 3u))
                return kSdkErrInvalidValue;
            // Live view needs preview frames from the camera; without them it cannot start.
            const bool starts =
                id == kPropEvfMode ? value == 1 : (value & kEvfOutputDeviceComputer);
            if (starts)
                if (SdkError e = StartLiveViewLocked())
                    return e;
            if (id == kPropEvfOutputDevice && !starts && viewfinderOn_)
                if (SdkError e = SwitchLiveViewLocked(false))
                    return e;
            (id == kPropEvfMode ? evfMode_ : evfOutput_) = value;
            break;
        }
    }
    Post(Event{Event::Kind::kPropertyChanged, {}, {}, id});
    return kSdkOk;
}

}  // namespace talbex::gphoto
