#include "ptpip/ptp_datasets.h"

#include "ptpip/ptp_codes.h"

namespace talbex::ptpip {

void WriteValue(ByteWriter& w, uint16_t dataType, const PtpValue& value) {
    switch (dataType) {
        case kTypeInt8:
        case kTypeUInt8:
            w.U8(static_cast<uint8_t>(value.number));
            break;
        case kTypeInt16:
        case kTypeUInt16:
            w.U16(static_cast<uint16_t>(value.number));
            break;
        case kTypeInt32:
        case kTypeUInt32:
            w.U32(static_cast<uint32_t>(value.number));
            break;
        case kTypeString:
            w.String(value.text);
            break;
        default:
            break;
    }
}

std::optional<PtpValue> ReadValue(ByteReader& r, uint16_t dataType) {
    PtpValue value;
    switch (dataType) {
        case kTypeInt8:
            value.number = static_cast<int8_t>(r.U8());
            break;
        case kTypeUInt8:
            value.number = r.U8();
            break;
        case kTypeInt16:
            value.number = static_cast<int16_t>(r.U16());
            break;
        case kTypeUInt16:
            value.number = r.U16();
            break;
        case kTypeInt32:
            value.number = static_cast<int32_t>(r.U32());
            break;
        case kTypeUInt32:
            value.number = r.U32();
            break;
        case kTypeString:
            value.text = r.String();
            break;
        default:
            return std::nullopt;
    }
    if (!r.ok())
        return std::nullopt;
    return value;
}

std::optional<PtpValue> ParsePropertyValue(std::span<const uint8_t> data, uint16_t dataType) {
    ByteReader r(data);
    auto value = ReadValue(r, dataType);
    if (!value || r.remaining() != 0)
        return std::nullopt;
    return value;
}

std::vector<uint8_t> EncodeDeviceInfo(const DeviceInfo& info) {
    ByteWriter w;
    w.U16(100);  // standard version 1.00
    w.U32(info.vendorExtensionId);
    w.U16(info.vendorExtensionVersion);
    w.String(info.vendorExtensionDesc);
    w.U16(0);  // functional mode: standard
    w.Array16(info.operations);
    w.Array16(info.events);
    w.Array16(info.properties);
    w.Array16(info.captureFormats);
    w.Array16(info.imageFormats);
    w.String(info.manufacturer);
    w.String(info.model);
    w.String(info.deviceVersion);
    w.String(info.serialNumber);
    return w.Take();
}

std::vector<uint8_t> EncodeStorageInfo(const StorageInfo& info) {
    ByteWriter w;
    w.U16(kStorageRemovableRam);
    w.U16(kFilesystemHierarchical);
    w.U16(kAccessReadWrite);
    w.U64(info.maxCapacity);
    w.U64(info.freeBytes);
    w.U32(info.freeImages);
    w.String(info.description);
    w.String(info.volumeLabel);
    return w.Take();
}

std::vector<uint8_t> EncodeObjectInfo(const ObjectInfo& info) {
    ByteWriter w;
    w.U32(info.storage);
    w.U16(info.format);
    w.U16(0);  // not protected
    w.U32(info.compressedSize);
    w.U16(0);  // no thumbnail
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(0);  // image size unknown
    w.U32(0);
    w.U32(0);
    w.U32(info.parent);
    w.U16(info.associationType);
    w.U32(0);
    w.U32(0);  // sequence number
    w.String(info.fileName);
    w.String(info.captureDate);
    w.String(info.captureDate);  // modified when taken
    w.String("");
    return w.Take();
}

std::vector<uint8_t> EncodePropDesc(const PropDesc& desc) {
    ByteWriter w;
    w.U16(desc.code);
    w.U16(desc.dataType);
    w.U8(desc.getSet);
    WriteValue(w, desc.dataType, desc.factoryDefault);
    WriteValue(w, desc.dataType, desc.current);
    w.U8(desc.form);
    if (desc.form == kFormRange) {
        WriteValue(w, desc.dataType, desc.minimum);
        WriteValue(w, desc.dataType, desc.maximum);
        WriteValue(w, desc.dataType, desc.step);
    } else if (desc.form == kFormEnumeration) {
        w.U16(static_cast<uint16_t>(desc.values.size()));
        for (const PtpValue& v : desc.values)
            WriteValue(w, desc.dataType, v);
    }
    return w.Take();
}

}  // namespace talbex::ptpip
