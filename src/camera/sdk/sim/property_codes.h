// The codes the simulated camera allows for its shooting and live-view properties.
#pragma once

#include <cstdint>
#include <vector>

namespace talbex::sim {

using Codes = std::vector<uint32_t>;

/// Formats of the pictures a shot makes, as their directory items give them.
inline constexpr uint32_t kPictureFormatJpeg = 0x3801;
inline constexpr uint32_t kPictureFormatRaw = 0x3800;

/// AE-mode codes the mode dial can stand on (and that 0x436 accepts).
const Codes& AeModeCodes();
/// Every shutter-speed code, every aperture code, every ISO code.
const Codes& TvCodes();
const Codes& AvCodes();
const Codes& IsoCodes();
const Codes& MeteringCodes();
/// Exposure steps in eighths of a stop, as unsigned bytes (also flash compensation).
const Codes& ExposureStepCodes();
/// Image-quality codes of current cameras and of older-protocol cameras.
const Codes& ImageQualityCodes(bool legacy);
const Codes& DriveModeCodes();
const Codes& AfModeCodes();
const Codes& WhiteBalanceCodes();
const Codes& ColorSpaceCodes();
const Codes& OffOnCodes();
const Codes& NoiseReductionCodes();
const Codes& EvfAfModeCodes();
const Codes& EvfModeCodes();
const Codes& SaveToCodes();

/// Tv codes that an AE mode lets the program choose (empty: the camera decides).
Codes TvCodesFor(uint32_t aeMode);
/// Av codes that an AE mode lets the program choose, from the lens's widest to its
/// narrowest aperture.
Codes AvCodesFor(uint32_t aeMode, uint32_t widest, uint32_t narrowest);
/// Full auto and the scene modes: the camera sets ISO, metering and exposure compensation.
bool IsAutomaticMode(uint32_t aeMode);
/// What ISO, metering and exposure compensation allow in an AE mode.
Codes IsoCodesFor(uint32_t aeMode);
Codes MeteringCodesFor(uint32_t aeMode);
Codes ExposureStepCodesFor(uint32_t aeMode);

/// The files a shot makes at an image quality (RAW, JPEG or both).
struct PictureFiles {
    bool raw = false;
    bool jpeg = false;
};
PictureFiles FilesOfQuality(uint32_t quality, bool legacy);
/// Live-view zoom values a live-view AF mode allows (face detection cannot magnify).
Codes EvfZoomCodesFor(uint32_t evfAfMode);

bool Contains(const Codes& codes, uint32_t value);

}  // namespace talbex::sim
