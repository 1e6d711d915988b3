// The camera's properties as standard device properties: which boundary property
// stands behind each, how its codes become the standard's values and back, and reading
// and writing them through the camera boundary.
//
// Codes the standard has no value for are served in its device-defined range (the high
// bit set), so every code survives the round trip. A vendor's own values (a table of
// kVendorTable) leave that range to the vendor: codes without a value there are not offered.
//
// Two sets of properties: the standard's (ServedProperties) and those of a body speaking
// Nikon's extension (NikonProperties, nikon_properties.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "camera/sdk/sdk.h"
#include "ptpip/ptp_datasets.h"

namespace talbex::ptpip {

enum class Conversion {
    kText,               // a text property as a string
    kDateTime,           // the camera clock as "YYYYMMDDThhmmss"
    kBatteryLevel,       // percent, read-only, as a range 0..100
    kFNumber,            // aperture code as the f-number times 100
    kExposureTime,       // shutter-speed code in tenths of a millisecond; bulb is 0xFFFFFFFF
    kIso,                // ISO code as the speed; automatic is 0xFFFF
    kExposureBias,       // compensation code in thousandths of a stop
    kTable,              // code and value from a table
    kImageSize,          // the pictures' size "WxH", read-only; no camera property behind it
    kVendorTable,        // code and value from a table of the vendor's values, and nothing else
    kNikonShutterSpeed,  // shutter-speed code as numerator << 16 | denominator; bulb 0xFFFFFFFF
    kIsoSpeedOnly,       // ISO code as the speed; automatic is a switch of its own
    kIsoAutoSwitch,      // 1 while the camera chooses the ISO speed, else 0
    kLensId,             // the lens name as the number of its entry in a lens table
    kLiveViewStatus,     // 1 while live view goes to the computer, read-only
};

/// Which extension of the standard the served body speaks.
enum class ServedVendor { kStandard, kNikon };

struct CodePair {
    uint32_t code;
    uint16_t value;
};

struct ServedProperty {
    const char* name;  // as a settings file names it ("f_number")
    uint16_t ptpCode;
    uint16_t dataType;
    SdkPropertyId id;
    Conversion conversion;
    std::span<const CodePair> table;
};

/// The standard's properties, and those served for `vendor`.
std::span<const ServedProperty> ServedProperties();
std::span<const ServedProperty> ServedPropertiesOf(ServedVendor vendor);
/// Finds in the standard's set, or in `set`.
const ServedProperty* FindServedProperty(uint16_t ptpCode);
const ServedProperty* FindServedProperty(std::span<const ServedProperty> set, uint16_t ptpCode);
const ServedProperty* FindServedPropertyOf(SdkPropertyId id);
const ServedProperty* FindServedPropertyNamed(std::string_view name);
const ServedProperty* FindServedPropertyNamed(std::span<const ServedProperty> set,
                                              std::string_view name);
/// True when a camera property stands behind the served one (the image size has none).
bool HasCameraProperty(const ServedProperty& property);

/// The standard's value of a code; nullopt when there is none (e.g. a code out of range).
std::optional<PtpValue> ToPtpValue(const ServedProperty& property, uint32_t code);
/// The code of a standard value; nullopt when none stands for it.
std::optional<uint32_t> FromPtpValue(const ServedProperty& property, const PtpValue& value);

std::string DateTimeText(const SdkTime& time);
std::optional<SdkTime> ParseDateTimeText(std::string_view text);

/// Reads the property from the camera as a description (value, access, allowed values).
SdkError DescribeProperty(SdkCameraRef camera, const ServedProperty& property, PropDesc* out);
/// Writes a standard value to the camera; kSdkErrInvalidValue when it stands for no code.
SdkError WriteProperty(SdkCameraRef camera, const ServedProperty& property, const PtpValue& value);

}  // namespace talbex::ptpip
