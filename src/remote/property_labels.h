// The remote-control dialog's own code→label tables: property codes as English words.
// Iteration is in ascending unsigned code order, which is the order of the rows in the
// dialog's lists (row index → code depends on it).
#pragma once

#include <cstdint>

#include "controls/property_label_tables.h"

namespace talbex::remote {

using controls::LabelTable;

/// Drive mode (property 0x401).
const LabelTable& DriveModeLabels();
/// AF mode (property 0x404).
const LabelTable& AfModeLabels();
/// Exposure compensation and flash exposure compensation (0x407, 0x408): the property
/// lists' own table. Never translated.
using controls::ExposureStepLabels;
/// White balance (property 0x106); the last two codes are -2 and -1 as signed values.
const LabelTable& WhiteBalanceLabels();
/// Off/on (properties 0x412 flash on/off and 0x413 red eye).
const LabelTable& OffOnLabels();
/// Colour space (property 0x10D).
const LabelTable& ColourSpaceLabels();
/// Noise reduction (property 0x411).
const LabelTable& NoiseReductionLabels();

}  // namespace talbex::remote
