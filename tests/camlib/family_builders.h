// Helpers the family tables are written with, and the rows of ptp2's shared label tables
// that hold for every vendor (a family adds its own vendor's rows after them, as the
// tables in config.c list them).
#pragma once

#include <initializer_list>
#include <vector>

#include "camera_model.h"
#include "camera_state.h"

namespace tcam {

inline Property Enum(uint32_t code, Type type, std::vector<int64_t> values, int64_t value,
                     bool writable = true, const char* description = nullptr) {
    Property p;
    p.code = code;
    p.type = type;
    p.form = Form::kEnum;
    p.values = std::move(values);
    p.value = value;
    p.writable = writable;
    p.description = description;
    return p;
}

inline Property Range(uint32_t code, Type type, int64_t min, int64_t max, int64_t step,
                      int64_t value, bool writable = true, const char* description = nullptr) {
    Property p;
    p.code = code;
    p.type = type;
    p.form = Form::kRange;
    p.min = min;
    p.max = max;
    p.step = step;
    p.value = value;
    p.writable = writable;
    p.description = description;
    return p;
}

inline Property Value(uint32_t code, Type type, int64_t value, bool writable = false,
                      const char* description = nullptr) {
    Property p;
    p.code = code;
    p.type = type;
    p.value = value;
    p.writable = writable;
    p.description = description;
    return p;
}

inline Property Text(uint32_t code, const char* text, bool writable = true,
                     const char* description = nullptr, size_t maxText = 0) {
    Property p;
    p.code = code;
    p.type = Type::kStr;
    p.text = text;
    p.writable = writable;
    p.description = description;
    p.maxText = maxText;
    return p;
}

/// Not in the device information's list: announced by the body (eos) or reached through
/// vendor operations (Panasonic).
inline Property Unlisted(Property p) {
    p.listed = false;
    return p;
}

inline Entry Listed(Section s, const char* name, const char* label, Codec c, uint32_t property,
                    const Table* table = nullptr) {
    return {s, name, label, c, Path::kListed, property, table, false};
}

inline Entry Announced(Section s, const char* name, const char* label, Codec c, uint32_t property,
                       const Table* table = nullptr, bool putNone = false) {
    return {s, name, label, c, Path::kAnnounced, property, table, putNone};
}

inline Entry Virtual(Section s, const char* name, const char* label, Codec c,
                     uint32_t property = 0) {
    return {s, name, label, c, Path::kVirtual, property, nullptr, false};
}

/// The device information's texts every family shows first in its status section
/// (config.c around 10465).
inline void AddDeviceTexts(std::vector<Entry>* entries) {
    for (const auto& [name, label] :
         {std::pair{"serialnumber", "Serial Number"},
          std::pair{"manufacturer", "Camera Manufacturer"},
          std::pair{"cameramodel", "Camera Model"}, std::pair{"deviceversion", "Device Version"},
          std::pair{"vendorextension", "Vendor Extension"}}) {
        Entry e = Virtual(Section::kStatus, name, label, Codec::kDeviceText);
        e.putNone = true;
        entries->push_back(e);
    }
}

inline Table Join(std::initializer_list<Table> parts) {
    Table all;
    for (const Table& t : parts)
        all.insert(all.end(), t.begin(), t.end());
    return all;
}

// The vendor-neutral rows of ptp2's shared tables.
inline const Table kWhiteBalanceRows = {
    {"Manual", 0x0001},   {"Automatic", 0x0002},   {"One-push Automatic", 0x0003},
    {"Daylight", 0x0004}, {"Fluorescent", 0x0005}, {"Tungsten", 0x0006},
    {"Flash", 0x0007},
};  // config.c around 1451
inline const Table kFocusModeRows = {
    {"Undefined", 0x0000},
    {"Manual", 0x0001},
    {"Automatic", 0x0002},
    {"Automatic Macro", 0x0003},
};  // around 5810
inline const Table kExposureProgramRows = {
    {"M", 0x0001},        {"P", 0x0002},      {"A", 0x0003},        {"S", 0x0004},
    {"Creative", 0x0005}, {"Action", 0x0006}, {"Portrait", 0x0007},
};  // around 3735
inline const Table kCaptureModeRows = {
    {"Single Shot", 0x0001},
    {"Burst", 0x0002},
    {"Timelapse", 0x0003},
};  // around 4064
inline const Table kMeteringRows = {
    {"Average", 0x0001},
    {"Center Weighted", 0x0002},
    {"Multi Spot", 0x0003},
    {"Center Spot", 0x0004},
};  // around 4269

}  // namespace tcam
