#include "ptpip/served_properties.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "camera/sdk/exposure_scales.h"
#include "ptpip/nikon_properties.h"
#include "ptpip/ptp_codes.h"

namespace talbex::ptpip {

namespace {

// The boundary's codes and the standard's values where both name the same thing.
constexpr CodePair kWhiteBalance[] = {
    {0, 2},  // automatic
    {1, 4},  // daylight
    {3, 6},  // tungsten
    {4, 5},  // fluorescent
    {5, 7},  // flash
    {6, 1},  // manual, from a white card
};
constexpr CodePair kMetering[] = {
    {3, 3},  // evaluative: multi-spot
    {5, 2},  // centre-weighted average
    {1, 4},  // spot: centre spot
};
constexpr CodePair kFocusMode[] = {
    {3, 1},  // manual
    {0, 2},  // one-shot autofocus: automatic
};
constexpr CodePair kDriveMode[] = {
    {0, 1},  // single shot: normal
    {1, 2},  // continuous: burst
};
constexpr CodePair kFlash[] = {
    {0, 2},  // off
    {1, 3},  // on: fill flash
};
constexpr CodePair kExposureProgram[] = {
    {3, 1},     // manual
    {0, 2},     // program
    {2, 3},     // aperture priority
    {1, 4},     // shutter priority
    {0x0B, 6},  // sports: action
    {0x0C, 7},  // portrait
};

constexpr ServedProperty kProperties[] = {
    {"battery_level",
     kDpcBatteryLevel,
     kTypeUInt8,
     kPropBatteryLevel,
     Conversion::kBatteryLevel,
     {}},
    {"image_size", kDpcImageSize, kTypeString, 0, Conversion::kImageSize, {}},
    {"date_time", kDpcDateTime, kTypeString, kPropDateTime, Conversion::kDateTime, {}},
    {"artist", kDpcArtist, kTypeString, kPropArtist, Conversion::kText, {}},
    {"copyright", kDpcCopyrightInfo, kTypeString, kPropCopyright, Conversion::kText, {}},
    {"owner", kDpcDeviceFriendlyName, kTypeString, kPropOwnerName, Conversion::kText, {}},
    {"f_number", kDpcFNumber, kTypeUInt16, kPropAv, Conversion::kFNumber, {}},
    {"exposure_time", kDpcExposureTime, kTypeUInt32, kPropTv, Conversion::kExposureTime, {}},
    {"exposure_index", kDpcExposureIndex, kTypeUInt16, kPropIsoSpeed, Conversion::kIso, {}},
    {"exposure_bias",
     kDpcExposureBiasCompensation,
     kTypeInt16,
     kPropExposureCompensation,
     Conversion::kExposureBias,
     {}},
    {"white_balance", kDpcWhiteBalance, kTypeUInt16, kPropWhiteBalance, Conversion::kTable,
     kWhiteBalance},
    {"metering_mode", kDpcExposureMeteringMode, kTypeUInt16, kPropMeteringMode, Conversion::kTable,
     kMetering},
    {"focus_mode", kDpcFocusMode, kTypeUInt16, kPropAfMode, Conversion::kTable, kFocusMode},
    {"still_capture_mode", kDpcStillCaptureMode, kTypeUInt16, kPropDriveMode, Conversion::kTable,
     kDriveMode},
    {"flash_mode", kDpcFlashMode, kTypeUInt16, kPropFlashOn, Conversion::kTable, kFlash},
    {"exposure_program", kDpcExposureProgramMode, kTypeUInt16, kPropAeMode, Conversion::kTable,
     kExposureProgram},
};

constexpr uint32_t kExposureTimeBulb = 0xFFFFFFFF;
constexpr uint16_t kIsoAutomatic = 0xFFFF;
constexpr uint32_t kMaxText = 4096;
// While the camera chooses the ISO speed, a body without an automatic value shows the
// speed its pictures then record: the base speed.
constexpr int64_t kIsoShownWhileAutomatic = 100;

PtpValue Number(int64_t n) {
    PtpValue v;
    v.number = n;
    return v;
}

std::vector<uint32_t> AllowedCodes(const SdkPropertyDesc& desc) {
    const int32_t n = std::clamp(desc.numElements, 0, 128);
    std::vector<uint32_t> codes;
    for (int32_t i = 0; i < n; ++i)
        codes.push_back(static_cast<uint32_t>(desc.propDesc[i]));
    return codes;
}

bool IsCoded(Conversion c) {
    return c != Conversion::kText && c != Conversion::kDateTime && c != Conversion::kImageSize &&
           c != Conversion::kLensId;
}

// Properties the camera shows but the host cannot change.
bool IsReadOnly(Conversion c) {
    return c == Conversion::kBatteryLevel || c == Conversion::kLensId ||
           c == Conversion::kLiveViewStatus;
}

std::optional<PtpValue> FromTable(std::span<const CodePair> table, uint32_t code) {
    for (const CodePair& pair : table)
        if (pair.code == code)
            return Number(pair.value);
    return std::nullopt;
}

std::optional<uint32_t> ToTable(std::span<const CodePair> table, int64_t value) {
    // Several codes may share a value: the first is the one the value stands for.
    for (const CodePair& pair : table)
        if (pair.value == value)
            return pair.code;
    return std::nullopt;
}

// The value shown for the current code: what ToPtpValue gives, or for a code without one
// what the body shows instead.
PtpValue CurrentValue(const ServedProperty& property, uint32_t code) {
    if (auto value = ToPtpValue(property, code))
        return *value;
    if (property.conversion == Conversion::kIsoSpeedOnly && code == sdk::kIsoAuto)
        return Number(kIsoShownWhileAutomatic);
    return PtpValue{};
}

}  // namespace

std::span<const ServedProperty> ServedProperties() {
    return kProperties;
}

std::span<const ServedProperty> ServedPropertiesOf(ServedVendor vendor) {
    return vendor == ServedVendor::kNikon ? NikonProperties() : ServedProperties();
}

const ServedProperty* FindServedProperty(uint16_t ptpCode) {
    return FindServedProperty(kProperties, ptpCode);
}

const ServedProperty* FindServedProperty(std::span<const ServedProperty> set, uint16_t ptpCode) {
    for (const ServedProperty& p : set)
        if (p.ptpCode == ptpCode)
            return &p;
    return nullptr;
}

bool HasCameraProperty(const ServedProperty& property) {
    return property.conversion != Conversion::kImageSize;
}

const ServedProperty* FindServedPropertyOf(SdkPropertyId id) {
    for (const ServedProperty& p : kProperties)
        if (p.id == id && p.conversion != Conversion::kImageSize)
            return &p;
    return nullptr;
}

const ServedProperty* FindServedPropertyNamed(std::string_view name) {
    return FindServedPropertyNamed(kProperties, name);
}

const ServedProperty* FindServedPropertyNamed(std::span<const ServedProperty> set,
                                              std::string_view name) {
    for (const ServedProperty& p : set)
        if (name == p.name)
            return &p;
    return nullptr;
}

std::optional<PtpValue> ToPtpValue(const ServedProperty& property, uint32_t code) {
    switch (property.conversion) {
        case Conversion::kBatteryLevel:
            return Number(std::min<uint32_t>(code, 100));
        case Conversion::kFNumber:
            if (auto f = sdk::FNumberOfAv(code))
                return Number(std::lround(*f * 100));
            return std::nullopt;
        case Conversion::kExposureTime:
            if (code == sdk::kTvBulb)
                return Number(kExposureTimeBulb);
            if (auto s = sdk::SecondsOfTv(code))
                return Number(std::max(1L, std::lround(*s * 10000)));
            return std::nullopt;
        case Conversion::kIso:
            if (code == sdk::kIsoAuto)
                return Number(kIsoAutomatic);
            if (auto speed = sdk::SpeedOfIso(code))
                return Number(std::min<uint32_t>(*speed, 0xFFFE));
            return std::nullopt;
        case Conversion::kExposureBias:
            if (auto m = sdk::MilliStopsOfStep(code))
                return Number(*m);
            return std::nullopt;
        case Conversion::kTable:
            for (const CodePair& pair : property.table)
                if (pair.code == code)
                    return Number(pair.value);
            if (code < kDeviceDefinedValue)
                return Number(kDeviceDefinedValue | code);
            return std::nullopt;
        case Conversion::kVendorTable:
            return FromTable(property.table, code);
        case Conversion::kNikonShutterSpeed:
            if (auto value = NikonShutterSpeedOf(code))
                return Number(*value);
            return std::nullopt;
        case Conversion::kIsoSpeedOnly:
            if (code == sdk::kIsoAuto)
                return std::nullopt;  // not a speed: ISO auto says it
            if (auto speed = sdk::SpeedOfIso(code))
                return Number(std::min<uint32_t>(*speed, 0xFFFF));
            return std::nullopt;
        case Conversion::kIsoAutoSwitch:
            return Number(code == sdk::kIsoAuto ? 1 : 0);
        case Conversion::kLiveViewStatus:
            return Number((code & kEvfOutputDeviceComputer) != 0 ? 1 : 0);
        case Conversion::kText:
        case Conversion::kDateTime:
        case Conversion::kImageSize:
        case Conversion::kLensId:
            break;
    }
    return std::nullopt;
}

std::optional<uint32_t> FromPtpValue(const ServedProperty& property, const PtpValue& value) {
    const int64_t v = value.number;
    switch (property.conversion) {
        case Conversion::kFNumber:
            return sdk::AvForFNumber(static_cast<double>(v) / 100);
        case Conversion::kExposureTime:
            if (v == kExposureTimeBulb)
                return sdk::kTvBulb;
            return sdk::TvForSeconds(static_cast<double>(v) / 10000);
        case Conversion::kIso:
            if (v == kIsoAutomatic)
                return sdk::kIsoAuto;
            return sdk::IsoForSpeed(static_cast<double>(v));
        case Conversion::kExposureBias:
            return sdk::StepForStops(static_cast<double>(v) / 1000);
        case Conversion::kTable:
            if (auto code = ToTable(property.table, v))
                return code;
            if (v >= kDeviceDefinedValue && v <= 0xFFFF)
                return static_cast<uint32_t>(v & 0x7FFF);
            return std::nullopt;
        case Conversion::kVendorTable:
            return ToTable(property.table, v);
        case Conversion::kNikonShutterSpeed:
            if (v < 0 || v > 0xFFFFFFFF)
                return std::nullopt;
            return TvOfNikonShutterSpeed(static_cast<uint32_t>(v));
        case Conversion::kIsoSpeedOnly:
            return sdk::IsoForSpeed(static_cast<double>(v));
        case Conversion::kIsoAutoSwitch:
            // Off stands for no one code: the camera's allowed speeds decide (WriteProperty).
            return v == 1 ? std::optional<uint32_t>(sdk::kIsoAuto) : std::nullopt;
        default:
            return std::nullopt;
    }
}

std::string DateTimeText(const SdkTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u%02u%02uT%02u%02u%02u", t.year % 10000, t.month % 100,
                  t.day % 100, t.hour % 100, t.minute % 100, t.second % 100);
    return text;
}

std::optional<SdkTime> ParseDateTimeText(std::string_view text) {
    // "YYYYMMDDThhmmss", optionally followed by tenths of a second or a zone.
    if (text.size() < 15 || text[8] != 'T')
        return std::nullopt;
    auto digits = [&](size_t at, size_t count) -> std::optional<uint32_t> {
        uint32_t n = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return std::nullopt;
            n = n * 10 + static_cast<uint32_t>(text[i] - '0');
        }
        return n;
    };
    auto year = digits(0, 4), month = digits(4, 2), day = digits(6, 2);
    auto hour = digits(9, 2), minute = digits(11, 2), second = digits(13, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    return SdkTime{*year, *month, *day, *hour, *minute, *second, 0};
}

SdkError DescribeProperty(SdkCameraRef camera, const ServedProperty& property, PropDesc* out) {
    SdkDataType type;
    uint32_t size;
    if (SdkError e = SdkGetPropertySize(camera, property.id, 0, &type, &size))
        return e;
    SdkPropertyDesc desc{};
    const bool described = SdkGetPropertyDesc(camera, property.id, &desc) == kSdkOk;

    PropDesc d;
    d.code = property.ptpCode;
    d.dataType = property.dataType;
    d.getSet =
        described && desc.access != 0 && !IsReadOnly(property.conversion) ? kGetSet : kGetOnly;
    switch (property.conversion) {
        case Conversion::kText:
        case Conversion::kLensId: {
            std::vector<char> text(std::clamp<uint32_t>(size, 1, kMaxText) + 1, '\0');
            if (SdkError e = SdkGetPropertyData(
                    camera, property.id, 0, static_cast<uint32_t>(text.size() - 1), text.data()))
                return e;
            if (property.conversion == Conversion::kLensId)
                d.current = Number(NikonLensIdOf(text.data()));
            else
                d.current.text = text.data();
            d.form = kFormNone;
            break;
        }
        case Conversion::kDateTime: {
            SdkTime time{};
            if (SdkError e = SdkGetPropertyData(camera, property.id, 0, sizeof time, &time))
                return e;
            d.current.text = DateTimeText(time);
            d.form = kFormNone;
            break;
        }
        default: {
            uint32_t code = 0;
            if (SdkError e = SdkGetPropertyData(camera, property.id, 0, sizeof code, &code))
                return e;
            d.current = CurrentValue(property, code);
            if (property.conversion == Conversion::kBatteryLevel ||
                property.conversion == Conversion::kIsoAutoSwitch) {
                // A level, and a switch: ranges, as such bodies describe them.
                d.form = kFormRange;
                d.minimum = Number(0);
                d.maximum = Number(property.conversion == Conversion::kBatteryLevel ? 100 : 1);
                d.step = Number(1);
                break;
            }
            if (property.conversion == Conversion::kLiveViewStatus) {
                d.form = kFormNone;
                break;
            }
            d.form = kFormEnumeration;
            for (uint32_t allowed : described ? AllowedCodes(desc) : std::vector<uint32_t>{}) {
                auto value = ToPtpValue(property, allowed);
                // Two codes may share a value the standard cannot tell apart (the
                // fastest speeds in tenths of a millisecond): offer it once.
                if (value && std::find(d.values.begin(), d.values.end(), *value) == d.values.end())
                    d.values.push_back(*value);
            }
            break;
        }
    }
    d.factoryDefault = d.current;
    *out = std::move(d);
    return kSdkOk;
}

SdkError WriteProperty(SdkCameraRef camera, const ServedProperty& property, const PtpValue& value) {
    if (property.conversion == Conversion::kText) {
        std::string bytes = value.text;
        bytes.push_back('\0');
        return SdkSetPropertyData(camera, property.id, 0, static_cast<uint32_t>(bytes.size()),
                                  bytes.data());
    }
    if (property.conversion == Conversion::kDateTime) {
        auto time = ParseDateTimeText(value.text);
        if (!time)
            return kSdkErrInvalidValue;
        return SdkSetPropertyData(camera, property.id, 0, sizeof *time, &*time);
    }
    if (!IsCoded(property.conversion) || IsReadOnly(property.conversion))
        return kSdkErrNotSupported;

    // A value the camera offers maps back to the very code it came from: the current one
    // when it already stands for the value (a JPEG's compression leaves its size alone),
    // else the code the value's table names first, else the first allowed one.
    std::optional<uint32_t> code;
    SdkPropertyDesc desc{};
    if (SdkGetPropertyDesc(camera, property.id, &desc) == kSdkOk) {
        const std::vector<uint32_t> allowed = AllowedCodes(desc);
        auto offered = [&](uint32_t c) {
            return std::find(allowed.begin(), allowed.end(), c) != allowed.end() &&
                   ToPtpValue(property, c) == value;
        };
        uint32_t current = 0;
        const std::optional<uint32_t> named = FromPtpValue(property, value);
        if (SdkGetPropertyData(camera, property.id, 0, sizeof current, &current) == kSdkOk &&
            offered(current))
            code = current;
        else if (named && offered(*named))
            code = named;
        else
            for (uint32_t c : allowed)
                if (offered(c)) {
                    code = c;
                    break;
                }
    }
    if (!code)
        code = FromPtpValue(property, value);
    if (!code)
        return kSdkErrInvalidValue;
    return SdkSetPropertyData(camera, property.id, 0, sizeof *code, &*code);
}

}  // namespace talbex::ptpip
