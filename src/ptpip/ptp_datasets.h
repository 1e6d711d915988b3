// The protocol's data sets as a camera sends them: device, storage and object
// information and device property descriptions, and typed property values both ways.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ptpip/ptp_bytes.h"

namespace talbex::ptpip {

/// A property value: `number` for the integer types, `text` for strings.
struct PtpValue {
    int64_t number = 0;
    std::string text;

    bool operator==(const PtpValue&) const = default;
};

/// Writes `value` as `dataType`; integers are cut to the type's width.
void WriteValue(ByteWriter& w, uint16_t dataType, const PtpValue& value);
/// Reads one value of `dataType`; nullopt for an unknown type or too few bytes.
std::optional<PtpValue> ReadValue(ByteReader& r, uint16_t dataType);
/// The whole data phase of a property write: exactly one value of `dataType`.
std::optional<PtpValue> ParsePropertyValue(std::span<const uint8_t> data, uint16_t dataType);

struct DeviceInfo {
    /// The vendor extension the device speaks; 0: the standard alone.
    uint32_t vendorExtensionId = 0;
    uint16_t vendorExtensionVersion = 0;
    std::string vendorExtensionDesc;
    std::vector<uint16_t> operations;
    std::vector<uint16_t> events;
    std::vector<uint16_t> properties;
    std::vector<uint16_t> captureFormats;
    std::vector<uint16_t> imageFormats;
    std::string manufacturer;
    std::string model;
    std::string deviceVersion;
    std::string serialNumber;
};

struct StorageInfo {
    uint64_t maxCapacity = 0;
    uint64_t freeBytes = 0;
    uint32_t freeImages = 0;
    std::string description;
    std::string volumeLabel;
};

struct ObjectInfo {
    uint32_t storage = 0;
    uint16_t format = 0;
    uint32_t compressedSize = 0;
    uint32_t parent = 0;
    uint16_t associationType = 0;
    std::string fileName;
    /// "YYYYMMDDThhmmss", or empty.
    std::string captureDate;
};

struct PropDesc {
    uint16_t code = 0;
    uint16_t dataType = 0;
    uint8_t getSet = 0;
    PtpValue factoryDefault;
    PtpValue current;
    uint8_t form = 0;
    PtpValue minimum, maximum, step;  // range form
    std::vector<PtpValue> values;     // enumeration form
};

std::vector<uint8_t> EncodeDeviceInfo(const DeviceInfo& info);
std::vector<uint8_t> EncodeStorageInfo(const StorageInfo& info);
std::vector<uint8_t> EncodeObjectInfo(const ObjectInfo& info);
std::vector<uint8_t> EncodePropDesc(const PropDesc& desc);

}  // namespace talbex::ptpip
