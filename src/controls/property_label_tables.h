// The code→label tables of the property lists: what each camera code is called on
// screen. Labels are shown exactly as written here.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace talbex::controls {

/// Code → label, walked in ascending unsigned code order (the order of rows in the lists
/// that are filled from a table).
using LabelTable = std::map<uint32_t, std::string>;

struct PropertyLabel {
    uint32_t code;
    const char* label;
};

struct BilingualLabel {
    uint32_t code;
    const char* english;  // language code 3
    const char* chinese;  // any other language code
};

std::span<const BilingualLabel> AeModeLabels();       // 0x436, 25 entries
std::span<const BilingualLabel> EvfAfModeLabels();    // 0x50E, 4 entries
std::span<const PropertyLabel> MeteringModeLabels();  // 0x403, 4
std::span<const PropertyLabel> IsoSpeedLabels();      // 0x402, 41
std::span<const PropertyLabel> AvLabels();            // 0x405, 54
std::span<const PropertyLabel> TvLabels();            // 0x406, 80
std::span<const PropertyLabel> ImageQualityLabels();  // 0x100, 93

/// Exposure steps in eighths of a stop as a signed byte (exposure compensation 0x407,
/// flash exposure compensation 0x408), 41 entries from -5 to +5; negative steps sort
/// after the positive ones. Never translated.
const LabelTable& ExposureStepLabels();

}  // namespace talbex::controls
