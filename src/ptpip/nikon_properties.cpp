#include "ptpip/nikon_properties.h"

#include <cmath>

#include "camera/sdk/exposure_scales.h"
#include "ptpip/nikon_codes.h"
#include "ptpip/ptp_codes.h"

namespace talbex::ptpip {

namespace {

// Each table gives the boundary's codes the values whose texts libgphoto2 shows for a
// Nikon body. Where several codes share a value, the first is the one a write of the
// value chooses.

// config.c's nikon_d90_compression (the first Nikon table libgphoto2 tries for image
// quality on a network camera) and compressionsetting: 1 "JPEG Normal", 2 "JPEG Fine",
// 4 "NEF (Raw)", 7 "NEF+Fine". The compression leaves the picture's size alone.
constexpr CodePair kCompression[] = {
    {0x0013FF0F, 2},
    {0x0012FF0F, 1},
    {0x0064FF0F, 4},
    {0x00640013, 7},
    {0x0113FF0F, 2},
    {0x0112FF0F, 1},
    {0x0213FF0F, 2},
    {0x0212FF0F, 1},
    {0x0E13FF0F, 2},
    {0x0E12FF0F, 1},
    {0x0F13FF0F, 2},
    {0x1013FF0F, 2},
    {0x00640113, 7},
    {0x00640213, 7},
    // The older protocol's codes.
    {0x00130000, 2},
    {0x00120000, 1},
    {0x00240000, 4},
    {0x00240013, 7},
    {0x01130000, 2},
    {0x01120000, 1},
    {0x02130000, 2},
    {0x02120000, 1},
    {0x00240113, 7},
    {0x00240213, 7},
};

// config.c's whitebalance: the standard's values and Nikon's 0x8010 "Cloudy", 0x8011
// "Shade", 0x8012 "Color Temperature", 0x8013 "Preset" (a white card's measure).
constexpr CodePair kWhiteBalance[] = {
    {0, 2}, {1, 4}, {2, 0x8010}, {3, 6}, {4, 5}, {5, 7}, {6, 0x8013}, {8, 0x8011}, {9, 0x8012},
};

// config.c's focusmodes: 1 "Manual", Nikon's 0x8010 "AF-S", 0x8011 "AF-C", 0x8012 "AF-A".
constexpr CodePair kFocusMode[] = {
    {0, 0x8010},
    {1, 0x8011},
    {2, 0x8012},
    {3, 1},
};

// config.c's exposure_metering: 2 "Center Weighted", 3 "Multi Spot" (Nikon's matrix),
// 4 "Center Spot". Partial metering, a small centre area, shows as the centre spot.
constexpr CodePair kMetering[] = {
    {3, 3},
    {5, 2},
    {1, 4},
    {4, 4},
};

// config.c's nikon_d5100_exposure_program_modes, the first table libgphoto2 tries on a
// network camera: "M", "P", "A", "S" and Nikon's scene modes from 0x8010 "Auto". Bulb is
// M with the bulb shutter speed on a Nikon body.
constexpr CodePair kExposureProgram[] = {
    {3, 1},         {0, 2},         {2, 3},         {1, 4},
    {4, 1},         {9, 0x8010},    {0x0C, 0x8011}, {0x0D, 0x8012},
    {0x0E, 0x8013}, {0x0B, 0x8014}, {0x0F, 0x8016}, {0x0A, 0x8018},  // night portrait: a "Scene"
    {0x13, 0x8010}, {0x16, 0x8010},  // the automatic modes of other names
};

// config.c's capture_mode: 1 "Single Shot", 2 "Burst", Nikon's 0x8010 "Continuous Low
// Speed", 0x8011 "Timer".
constexpr CodePair kStillCaptureMode[] = {
    {0x00, 1}, {0x01, 2}, {0x04, 2}, {0x05, 0x8010}, {0x10, 0x8011}, {0x11, 0x8011},
};

constexpr ServedProperty kProperties[] = {
    {"battery_level",
     kDpcBatteryLevel,
     kTypeUInt8,
     kPropBatteryLevel,
     Conversion::kBatteryLevel,
     {}},
    {"image_size", kDpcImageSize, kTypeString, 0, Conversion::kImageSize, {}},
    {"image_quality", kDpcCompressionSetting, kTypeUInt8, kPropImageQuality,
     Conversion::kVendorTable, kCompression},
    {"date_time", kDpcDateTime, kTypeString, kPropDateTime, Conversion::kDateTime, {}},
    {"artist", kDpcNikonArtistName, kTypeString, kPropArtist, Conversion::kText, {}},
    {"copyright", kDpcNikonCopyrightInfo, kTypeString, kPropCopyright, Conversion::kText, {}},
    {"lens", kDpcNikonLensId, kTypeUInt8, kPropLensName, Conversion::kLensId, {}},
    {"f_number", kDpcFNumber, kTypeUInt16, kPropAv, Conversion::kFNumber, {}},
    {"exposure_time", kDpcExposureTime, kTypeUInt32, kPropTv, Conversion::kExposureTime, {}},
    {"shutter_speed",
     kDpcNikonExposureTime,
     kTypeUInt32,
     kPropTv,
     Conversion::kNikonShutterSpeed,
     {}},
    {"exposure_index",
     kDpcExposureIndex,
     kTypeUInt16,
     kPropIsoSpeed,
     Conversion::kIsoSpeedOnly,
     {}},
    {"iso_auto", kDpcNikonIsoAuto, kTypeUInt8, kPropIsoSpeed, Conversion::kIsoAutoSwitch, {}},
    {"exposure_bias",
     kDpcExposureBiasCompensation,
     kTypeInt16,
     kPropExposureCompensation,
     Conversion::kExposureBias,
     {}},
    {"white_balance", kDpcWhiteBalance, kTypeUInt16, kPropWhiteBalance, Conversion::kVendorTable,
     kWhiteBalance},
    {"metering_mode", kDpcExposureMeteringMode, kTypeUInt16, kPropMeteringMode,
     Conversion::kVendorTable, kMetering},
    {"focus_mode", kDpcFocusMode, kTypeUInt16, kPropAfMode, Conversion::kVendorTable, kFocusMode},
    {"still_capture_mode", kDpcStillCaptureMode, kTypeUInt16, kPropDriveMode,
     Conversion::kVendorTable, kStillCaptureMode},
    {"exposure_program", kDpcExposureProgramMode, kTypeUInt16, kPropAeMode,
     Conversion::kVendorTable, kExposureProgram},
    {"live_view_status",
     kDpcNikonLiveViewStatus,
     kTypeUInt8,
     kPropEvfOutputDevice,
     Conversion::kLiveViewStatus,
     {}},
};

// config.c's nikon_lensid: the lenses libgphoto2 names.
struct Lens {
    uint8_t id;
    std::string_view name;
};
constexpr Lens kLenses[] = {
    {38, "Sigma 70-300mm 1:4-5.6 D APO Macro"},
    {83, "AF Nikkor 80-200mm 1:2.8 D ED"},
    {118, "AF Nikkor 50mm 1:1.8 D"},
    {127, "AF-S Nikkor 18-70mm 1:3.5-4.5G ED DX"},
    {139, "AF-S Nikkor 18-200mm 1:3.5-5.6 GED DX VR"},
    {147, "AF-S Nikkor 24-70mm 1:2.8G ED DX"},
    {154, "AF-S Nikkor 18-55mm 1:3.5-F5.6G DX VR"},
    {159, "AF-S Nikkor 35mm 1:1.8G DX"},
    {248, "Sigma EX 30mm 1:1.4 DC HSM"},
};

constexpr uint32_t kNikonBulb = 0xFFFFFFFF;

uint32_t Fraction(uint32_t numerator, uint32_t denominator) {
    return numerator << 16 | denominator;
}

}  // namespace

std::span<const ServedProperty> NikonProperties() {
    return kProperties;
}

std::optional<uint32_t> NikonShutterSpeedOf(uint32_t tvCode) {
    if (tvCode == sdk::kTvBulb)
        return kNikonBulb;
    const auto seconds = sdk::SecondsOfTv(tvCode);
    if (!seconds || *seconds <= 0)
        return std::nullopt;
    // From 0.3 s on, speeds are counted in tenths (1.3 s is 13/10, 8 s is 8/1); shorter
    // ones are fractions of a second (1/250).
    if (*seconds >= 0.3 - 1e-6) {
        const auto tenths = static_cast<uint32_t>(std::lround(*seconds * 10));
        return tenths % 10 == 0 ? Fraction(tenths / 10, 1) : Fraction(tenths, 10);
    }
    return Fraction(1, static_cast<uint32_t>(std::lround(1 / *seconds)));
}

std::optional<uint32_t> TvOfNikonShutterSpeed(uint32_t value) {
    if (value == kNikonBulb)
        return sdk::kTvBulb;
    const uint32_t numerator = value >> 16;
    const uint32_t denominator = value & 0xFFFF;
    if (numerator == 0 || denominator == 0)
        return std::nullopt;
    return sdk::TvForSeconds(static_cast<double>(numerator) / denominator);
}

uint8_t NikonLensIdOf(std::string_view lens) {
    for (const Lens& known : kLenses)
        if (known.name == lens)
            return known.id;
    return 0;
}

}  // namespace talbex::ptpip
