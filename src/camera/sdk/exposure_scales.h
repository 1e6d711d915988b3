// What the boundary's exposure codes stand for: the f-number of an aperture code, the
// time of a shutter-speed code, the speed of an ISO code and the steps of an exposure
// compensation code, and back from a value a camera shows to the nearest code.
//
// Cameras that speak standard protocols describe these settings by their values
// (f/5.6, 1/125 s, ISO 400, +1/3 EV); the program works with codes. Values that sit
// more than a sixth of a stop (a twelfth for ISO speeds, an eighth of a step for
// compensation) from every code have no code.
#pragma once

#include <cstdint>
#include <optional>

namespace talbex::sdk {

/// The nominal f-number of an aperture code (0x30 gives 5.6).
std::optional<double> FNumberOfAv(uint32_t avCode);
std::optional<uint32_t> AvForFNumber(double fNumber);

/// The nominal exposure time in seconds of a shutter-speed code (0x70 gives 1/125);
/// none for bulb, which has no time.
std::optional<double> SecondsOfTv(uint32_t tvCode);
std::optional<uint32_t> TvForSeconds(double seconds);

/// The ISO speed of an ISO code; none for 0, the camera's automatic choice.
std::optional<uint32_t> SpeedOfIso(uint32_t isoCode);
std::optional<uint32_t> IsoForSpeed(double speed);

/// Exposure compensation in thousandths of a stop (0xFD, one third down, gives -333).
std::optional<int32_t> MilliStopsOfStep(uint32_t stepCode);
std::optional<uint32_t> StepForStops(double stops);

/// Shutter-speed code of bulb, and the automatic ISO code.
inline constexpr uint32_t kTvBulb = 0x0C;
inline constexpr uint32_t kIsoAuto = 0x00;

}  // namespace talbex::sdk
