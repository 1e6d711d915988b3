// The boundary's codes as standard property values and back.
#include <gtest/gtest.h>

#include <set>

#include "camera/sdk/exposure_scales.h"
#include "camera/sdk/sim/property_codes.h"
#include "ptpip/nikon_properties.h"
#include "ptpip/ptp_codes.h"
#include "ptpip/served_properties.h"

namespace talbex::ptpip {
namespace {

TEST(ServedPropertiesTest, CodesBecomeStandardValuesAndBack) {
    struct Case {
        uint16_t property;
        uint32_t code;
        int64_t value;
    };
    const Case cases[] = {
        {kDpcFNumber, 0x30, 560},          // f/5.6
        {kDpcFNumber, 0x20, 280},          // f/2.8
        {kDpcExposureTime, 0x70, 80},      // 1/125 s in tenths of a millisecond
        {kDpcExposureTime, 0x10, 300000},  // 30 s
        {kDpcExposureTime, sdk::kTvBulb, 0xFFFFFFFF},
        {kDpcExposureIndex, 0x58, 400},
        {kDpcExposureIndex, sdk::kIsoAuto, 0xFFFF},
        {kDpcExposureBiasCompensation, 0xFD, -333},
        {kDpcExposureBiasCompensation, 0x15, 2667},
        {kDpcExposureBiasCompensation, 0x00, 0},
        {kDpcWhiteBalance, 0, 2},       // automatic
        {kDpcWhiteBalance, 9, 0x8009},  // colour temperature: the device's own
        {kDpcExposureMeteringMode, 3, 3},
        {kDpcExposureProgramMode, 3, 1},  // M
        {kDpcExposureProgramMode, 0x16, 0x8016},
        {kDpcFocusMode, 3, 1},
        {kDpcFlashMode, 1, 3},
    };
    for (const Case& c : cases) {
        const ServedProperty* p = FindServedProperty(c.property);
        ASSERT_NE(p, nullptr) << std::hex << c.property;
        auto value = ToPtpValue(*p, c.code);
        ASSERT_TRUE(value) << std::hex << c.property << " " << c.code;
        EXPECT_EQ(value->number, c.value) << std::hex << c.property << " " << c.code;
        EXPECT_EQ(FromPtpValue(*p, *value), c.code) << std::hex << c.property << " " << c.code;
    }
    // Values no code stands for are refused, not guessed.
    EXPECT_FALSE(FromPtpValue(*FindServedProperty(kDpcFNumber), PtpValue{3, ""}));
    EXPECT_FALSE(FromPtpValue(*FindServedProperty(kDpcWhiteBalance), PtpValue{3, ""}));
    EXPECT_FALSE(ToPtpValue(*FindServedProperty(kDpcWhiteBalance), 0xFFFFFFFF));
}

TEST(ServedPropertiesTest, NikonShutterSpeedsAreExactAndDistinct) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0xA0, 1 << 16 | 8000}, {0x95, 1 << 16 | 3200}, {0x68, 1 << 16 | 60},
        {0x48, 1 << 16 | 4},    {0x45, 3 << 16 | 10},   {0x2D, 25 << 16 | 10},
        {0x38, 1 << 16 | 1},    {0x10, 30 << 16 | 1},   {sdk::kTvBulb, 0xFFFFFFFF},
    };
    for (const auto& [code, value] : cases)
        EXPECT_EQ(NikonShutterSpeedOf(code), value) << std::hex << code;
    // Every speed the camera offers has a value of its own that leads back to it.
    std::set<uint32_t> seen;
    for (uint32_t code : sim::TvCodes()) {
        const auto value = NikonShutterSpeedOf(code);
        ASSERT_TRUE(value) << std::hex << code;
        EXPECT_TRUE(seen.insert(*value).second) << std::hex << code;
        EXPECT_EQ(TvOfNikonShutterSpeed(*value), code) << std::hex << code;
    }
    EXPECT_EQ(NikonLensIdOf("AF-S Nikkor 35mm 1:1.8G DX"), 159);
    EXPECT_EQ(NikonLensIdOf("SIM 24-70mm f/2.8"), 0);
}

TEST(ServedPropertiesTest, ClockText) {
    EXPECT_EQ(DateTimeText(SdkTime{2024, 2, 29, 23, 5, 9, 500}), "20240229T230509");
    auto parsed = ParseDateTimeText("20240229T230509.0");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->day, 29u);
    EXPECT_EQ(parsed->second, 9u);
    for (const char* bad : {"", "20240229 230509", "2024022T230509", "2024O229T230509"})
        EXPECT_FALSE(ParseDateTimeText(bad)) << bad;
}

}  // namespace
}  // namespace talbex::ptpip
