// The codes the simulated camera allows for its shooting and live-view properties.
#pragma once

#include <cstdint>
#include <vector>

namespace talbex::sim {

using Codes = std::vector<uint32_t>;

/// AE-mode codes the mode dial can stand on (and that 0x436 accepts).
const Codes& AeModeCodes();
/// Every shutter-speed code, the apertures the lens offers, every ISO code.
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
/// Av codes that an AE mode lets the program choose.
Codes AvCodesFor(uint32_t aeMode);
/// Live-view zoom values a live-view AF mode allows (face detection cannot magnify).
Codes EvfZoomCodesFor(uint32_t evfAfMode);

bool Contains(const Codes& codes, uint32_t value);

}  // namespace talbex::sim
