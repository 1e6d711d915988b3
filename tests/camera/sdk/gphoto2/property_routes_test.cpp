// The libgphoto2 backend's tables: configuration texts to the program's codes and back,
// change events to entries, and libgphoto2's results to the boundary's.
#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>
#include <gtest/gtest.h>

#include "camera/sdk/gphoto2/gphoto2_results.h"
#include "camera/sdk/gphoto2/property_routes.h"

namespace talbex::gphoto {
namespace {

TEST(PropertyRoutesTest, CameraTextsBecomeCodes) {
    struct Case {
        SdkPropertyId id;
        const char* text;
        std::optional<uint32_t> code;
    };
    const Case cases[] = {
        {kPropAv, "f/5.6", 0x30},
        {kPropAv, "F8", 0x38},
        {kPropAv, "4.5", 0x2B},            // the third stop, where a half shares the value
        {kPropAv, "f/0.7", std::nullopt},  // beyond every code
        {kPropAv, "f/128", std::nullopt},
        {kPropAv, "f/", std::nullopt},
        {kPropTv, "0.0080s", 0x70},  // 1/125 in the standard's tenths of milliseconds
        {kPropTv, "1/125", 0x70},
        {kPropTv, "30", 0x10},
        {kPropTv, "0.3", 0x45},
        {kPropTv, "1 1/3", 0x35},
        {kPropTv, "Bulb", 0x0C},
        {kPropTv, "429496.7295s", 0x0C},  // the standard's "no time": bulb
        {kPropTv, "0s", std::nullopt},
        {kPropIsoSpeed, "400", 0x58},
        {kPropIsoSpeed, "ISO 1600", 0x68},
        {kPropIsoSpeed, "Auto", 0x00},
        {kPropIsoSpeed, "65535", 0x00},
        {kPropIsoSpeed, "-5", std::nullopt},
        {kPropIsoSpeed, "Auto ISO", 0x00},
        {kPropIsoSpeed, "ISO Auto 6400", 0x00},  // automatic up to a limit
        {kPropIsoSpeed, "Auto ISO Multi Frame Noise Reduction", std::nullopt},
        {kPropIsoSpeed, "64", 0x43},
        {kPropIsoSpeed, "140", std::nullopt},  // a sixth of a stop: between two codes
        {kPropTv, "1/16000", 0xA8},
        {kPropTv, "1/1.3s", 0x3B},
        {kPropTv, "65535/65535", std::nullopt},  // no time at all
        {kPropExposureCompensation, "5", 0x28},
        {kPropExposureCompensation, "-4.333", 0xDD},
        {kPropExposureCompensation, "-0.333", 0xFD},
        {kPropExposureCompensation, "+1 2/3", 0x0D},
        {kPropExposureCompensation, "0,5", 0x04},
        {kPropExposureCompensation, "-2.667", 0xEB},
        {kPropExposureCompensation, "9", std::nullopt},
        {kPropBatteryLevel, "85%", 85},
        {kPropBatteryLevel, "120%", std::nullopt},
        {kPropShutterCount, "1520", 1520},
        {kPropShutterCount, "12a", std::nullopt},
        {kPropWhiteBalance, "daylight", 1},
        {kPropWhiteBalance, "Unknown value 8002", std::nullopt},  // no code: left out
        {kPropAeMode, "M", 3},
        {kPropAeMode, "Shutter Priority", 1},
        {kPropAeMode, "Creative", std::nullopt},  // the standard's depth-biased program
        {kPropWhiteBalance, "One-push Automatic", std::nullopt},
        {kPropMeteringMode, "Center Spot", 1},
        {kPropAfMode, "AF-C", 1},
        {kPropDriveMode, "Single Shot", 0},
        {kPropImageQuality, "Large Fine JPEG", 0x0013FF0F},
        {kPropColorSpace, "Adobe RGB", 2},
        {kPropFlashOn, "Flash off", 0},
    };
    for (const Case& c : cases) {
        const Route* route = FindRoute(c.id);
        ASSERT_NE(route, nullptr) << std::hex << c.id;
        EXPECT_EQ(CodeOfText(*route, c.text), c.code) << std::hex << c.id << " " << c.text;
    }
}

TEST(PropertyRoutesTest, CodesWrittenAsTextReadBackAsThemselves) {
    // For entries taking free text: what the backend writes must read back as the code.
    const struct {
        SdkPropertyId id;
        uint32_t code;
    } cases[] = {{kPropAv, 0x30},
                 {kPropTv, 0x70},
                 {kPropTv, 0x28},
                 {kPropTv, 0x0C},
                 {kPropIsoSpeed, 0x00},
                 {kPropIsoSpeed, 0x60},
                 {kPropExposureCompensation, 0xF5},
                 {kPropWhiteBalance, 9}};
    for (const auto& c : cases) {
        const Route& route = *FindRoute(c.id);
        auto text = TextOfCode(route, c.code);
        ASSERT_TRUE(text) << std::hex << c.id << " " << c.code;
        EXPECT_EQ(CodeOfText(route, *text), c.code) << *text;
    }
    // The standard's free-text and range entries take numbers (config.c's _put_INT): the
    // automatic speed is its 65535, never a word.
    EXPECT_EQ(TextOfCode(*FindRoute(kPropIsoSpeed), 0x00), "65535");
    EXPECT_EQ(TextOfCode(*FindRoute(kPropTv), 0xB0), "1/32000");
}

TEST(PropertyRoutesTest, ChangeEventsNameTheirEntry) {
    EXPECT_EQ(EntryOfChangeEvent("PTP Property 5007 changed, \"f-number\" to \"f/8\""), "f-number");
    EXPECT_EQ(EntryOfChangeEvent("PTP Property 501E changed"), "501e");
    EXPECT_EQ(EntryOfChangeEvent("PTP Property 50 changed"), "");
    EXPECT_EQ(EntryOfChangeEvent("PTP Event 4006, Param1 00005007"), "");
    // One entry may stand behind two of the program's properties.
    EXPECT_EQ(PropertiesOfEntry("expprogram"),
              (std::vector<SdkPropertyId>{kPropAeMode, kPropShootingMode}));
    EXPECT_EQ(PropertiesOfEntry("501e"), std::vector<SdkPropertyId>{kPropArtist});
}

TEST(Gphoto2ResultsTest, FailuresTellRefusalFromLoss) {
    const ResultMapping cases[] = {
        {GP_OK, kSdkOk, Failure::kNone},
        {GP_ERROR_CAMERA_BUSY, kSdkErrDeviceBusy, Failure::kRefused},
        {GP_ERROR_NOT_SUPPORTED, kSdkErrNotSupported, Failure::kRefused},
        {GP_ERROR_IO, kSdkErrDeviceBusy, Failure::kUnclear},  // a hiccup or a loss: probed
        {GP_ERROR_IO_USB_FIND, kSdkErrCommDisconnected, Failure::kLost},
        {GP_ERROR, kSdkErrInternal, Failure::kUnclear},
        {GP_ERROR_TIMEOUT, kSdkErrDeviceBusy, Failure::kUnclear},
        {-9999, kSdkErrInternal, Failure::kUnclear},
    };
    for (const ResultMapping& c : cases) {
        const ResultMapping m = MapResult(c.result);
        EXPECT_EQ(m.error, c.error) << c.result;
        EXPECT_EQ(m.failure, c.failure) << c.result;
    }
}

}  // namespace
}  // namespace talbex::gphoto

namespace talbex::gphoto {
namespace {

// Panasonic's put truncates the thirds it reads (config.c around 9367): what is written
// must land on the choice's third, as f * 3 cast to a whole number does.
TEST(PropertyRoutesTest, FractionsForATruncatingPutLandOnTheirThird) {
    const struct {
        const char* choice;
        int thirds;
    } cases[] = {{"0.333333", 1}, {"-1.333333", -4}, {"2.666667", 8}, {"0.000000", 0}, {"-3", -9}};
    for (const auto& c : cases) {
        const float f = std::stof(TextForPut(Route::Put::kTruncates, c.choice));
        const int thirds = f < 0 ? -static_cast<int>(-f * 3) : static_cast<int>(f * 3);
        EXPECT_EQ(thirds, c.thirds)
            << c.choice << " as " << TextForPut(Route::Put::kTruncates, c.choice);
    }
    EXPECT_EQ(TextForPut(Route::Put::kTruncates, "Auto"), "Auto");
    // Olympus keeps its times in tenths; whole seconds its put brings back itself.
    EXPECT_EQ(TextForPut(Route::Put::kTenths, "1/125"), "10/1250");
    EXPECT_EQ(TextForPut(Route::Put::kTenths, "60"), "60");
    EXPECT_EQ(TextForPut(Route::Put::kTenths, "Bulb"), "Bulb");
}

}  // namespace
}  // namespace talbex::gphoto
