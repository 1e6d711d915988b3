// The camera's properties as a body speaking Nikon's extension serves them: the standard
// properties with Nikon's values where libgphoto2 2.5.30 reads Nikon's (config.c's tables
// for vendor PTP_VENDOR_NIKON), and Nikon's own properties behind the settings the
// remote-control and camera-parameters windows show.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "ptpip/served_properties.h"

namespace talbex::ptpip {

std::span<const ServedProperty> NikonProperties();

/// A shutter-speed code as Nikon's exact shutter speed, numerator << 16 | denominator
/// (1/8000 s is 1 << 16 | 8000, 2.5 s is 25 << 16 | 10), bulb 0xFFFFFFFF; and back.
std::optional<uint32_t> NikonShutterSpeedOf(uint32_t tvCode);
std::optional<uint32_t> TvOfNikonShutterSpeed(uint32_t value);

/// The number of the lens named `lens` in libgphoto2's Nikon lens table; 0, "Unknown",
/// for a lens the table does not know.
uint8_t NikonLensIdOf(std::string_view lens);

}  // namespace talbex::ptpip
