#include "camera/sdk/sim/property_codes.h"

#include <algorithm>

namespace talbex::sim {

namespace {

constexpr uint32_t kAeTv = 1;
constexpr uint32_t kAeAv = 2;
constexpr uint32_t kAeManual = 3;
constexpr uint32_t kAeBulb = 4;
constexpr uint32_t kTvBulb = 0x0C;
constexpr uint32_t kEvfAfFaceDetection = 2;
// From full auto on, the codes are automatic and scene modes.
constexpr uint32_t kAeFullAuto = 9;
constexpr uint32_t kIsoAuto = 0;
constexpr uint32_t kMeteringEvaluative = 3;
// Formats within an image-quality code.
constexpr uint32_t kFormatJpeg = 1;
constexpr uint32_t kFormatRawLegacy = 2;
constexpr uint32_t kFormatRaw = 6;

}  // namespace

const Codes& AeModeCodes() {
    static const Codes codes{0x00, 0x01, 0x02, 0x03, 0x04, 0x09, 0x0A,
                             0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x13, 0x16};
    return codes;
}

const Codes& TvCodes() {
    // Third stops from bulb and 30" to 1/8000.
    static const Codes codes{0x0C, 0x10, 0x13, 0x15, 0x18, 0x1B, 0x1D, 0x20, 0x23, 0x25, 0x28, 0x2B,
                             0x2D, 0x30, 0x33, 0x35, 0x38, 0x3B, 0x3D, 0x40, 0x43, 0x45, 0x48, 0x4B,
                             0x4D, 0x50, 0x53, 0x55, 0x58, 0x5B, 0x5D, 0x60, 0x63, 0x65, 0x68, 0x6B,
                             0x6D, 0x70, 0x73, 0x75, 0x78, 0x7B, 0x7D, 0x80, 0x83, 0x85, 0x88, 0x8B,
                             0x8D, 0x90, 0x93, 0x95, 0x98, 0x9B, 0x9D, 0xA0};
    return codes;
}

const Codes& AvCodes() {
    // f/1.0 to f/91 in third stops; a lens offers the part between its limits.
    static const Codes codes = [] {
        Codes all;
        for (uint32_t stop = 0x08; stop <= 0x70; stop += 8) {
            all.push_back(stop);
            if (stop < 0x70) {
                all.push_back(stop + 3);
                all.push_back(stop + 5);
            }
        }
        return all;
    }();
    return codes;
}

const Codes& IsoCodes() {
    static const Codes codes{0x00, 0x48, 0x4B, 0x4D, 0x50, 0x53, 0x55, 0x58, 0x5B, 0x5D, 0x60, 0x63,
                             0x65, 0x68, 0x6B, 0x6D, 0x70, 0x73, 0x75, 0x78, 0x7B, 0x7D, 0x80};
    return codes;
}

const Codes& MeteringCodes() {
    static const Codes codes{3, 4, 1, 5};
    return codes;
}

const Codes& ExposureStepCodes() {
    static const Codes codes{0xE8, 0xEB, 0xED, 0xF0, 0xF3, 0xF5, 0xF8, 0xFB, 0xFD, 0x00,
                             0x03, 0x05, 0x08, 0x0B, 0x0D, 0x10, 0x13, 0x15, 0x18};
    return codes;
}

const Codes& ImageQualityCodes(bool legacy) {
    static const Codes current{0x0064FF0F, 0x00640013, 0x00640113, 0x00640213, 0x0013FF0F,
                               0x0012FF0F, 0x0113FF0F, 0x0112FF0F, 0x0213FF0F, 0x0212FF0F,
                               0x0E13FF0F, 0x0E12FF0F, 0x0F13FF0F, 0x1013FF0F};
    static const Codes older{0x00240000, 0x00240013, 0x00240113, 0x00240213, 0x00130000,
                             0x00120000, 0x01130000, 0x01120000, 0x02130000, 0x02120000};
    return legacy ? older : current;
}

const Codes& DriveModeCodes() {
    static const Codes codes{0x00, 0x01, 0x04, 0x05, 0x10, 0x11};
    return codes;
}

const Codes& AfModeCodes() {
    static const Codes codes{0, 1, 2, 3};
    return codes;
}

const Codes& WhiteBalanceCodes() {
    static const Codes codes{0, 1, 2, 3, 4, 5, 6, 8, 9};
    return codes;
}

const Codes& ColorSpaceCodes() {
    static const Codes codes{1, 2};
    return codes;
}

const Codes& OffOnCodes() {
    static const Codes codes{0, 1};
    return codes;
}

const Codes& NoiseReductionCodes() {
    static const Codes codes{0, 1, 2, 4};
    return codes;
}

const Codes& EvfAfModeCodes() {
    static const Codes codes{0, 1, 2};
    return codes;
}

const Codes& EvfModeCodes() {
    static const Codes codes{0, 1};
    return codes;
}

const Codes& SaveToCodes() {
    static const Codes codes{1, 2, 3};  // card, computer, both
    return codes;
}

Codes TvCodesFor(uint32_t aeMode) {
    if (aeMode == kAeManual)
        return TvCodes();
    if (aeMode == kAeTv) {
        Codes codes = TvCodes();
        codes.erase(std::remove(codes.begin(), codes.end(), kTvBulb), codes.end());
        return codes;
    }
    if (aeMode == kAeBulb)
        return Codes{kTvBulb};
    return {};
}

Codes AvCodesFor(uint32_t aeMode, uint32_t widest, uint32_t narrowest) {
    if (aeMode != kAeAv && aeMode != kAeManual && aeMode != kAeBulb)
        return {};
    Codes codes;
    for (uint32_t code : AvCodes()) {
        if (code >= widest && code <= narrowest)
            codes.push_back(code);
    }
    return codes;
}

bool IsAutomaticMode(uint32_t aeMode) {
    return aeMode >= kAeFullAuto;
}

Codes IsoCodesFor(uint32_t aeMode) {
    return IsAutomaticMode(aeMode) ? Codes{kIsoAuto} : IsoCodes();
}

Codes MeteringCodesFor(uint32_t aeMode) {
    return IsAutomaticMode(aeMode) ? Codes{kMeteringEvaluative} : MeteringCodes();
}

Codes ExposureStepCodesFor(uint32_t aeMode) {
    return IsAutomaticMode(aeMode) ? Codes{0} : ExposureStepCodes();
}

PictureFiles FilesOfQuality(uint32_t quality, bool legacy) {
    const uint32_t primary = (quality >> 20) & 0xF;
    const uint32_t secondarySize = (quality >> 8) & 0xFF;
    const uint32_t secondary = (quality >> 4) & 0xF;
    PictureFiles files;
    files.raw = primary == (legacy ? kFormatRawLegacy : kFormatRaw);
    files.jpeg = primary == kFormatJpeg || (secondary == kFormatJpeg && secondarySize != 0xFF);
    return files;
}

Codes EvfZoomCodesFor(uint32_t evfAfMode) {
    if (evfAfMode == kEvfAfFaceDetection)
        return Codes{1};
    return Codes{1, 5};
}

bool Contains(const Codes& codes, uint32_t value) {
    return std::find(codes.begin(), codes.end(), value) != codes.end();
}

}  // namespace talbex::sim
