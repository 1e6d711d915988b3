// The reader on pictures the built-in simulated camera takes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"
#include "controls/exif/exif_reader.h"
#include "support/sim_picture.h"
#include "support/temp_folder.h"

namespace talbex::exif {
namespace {

using talbex::testing::TakeSimulatedPicture;

TEST(ExifReaderOnSimulatedCamera, ReadsTheSerialInBothByteOrders) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "MM" : "II");
        sim::CameraSettings settings;
        settings.exifBigEndian = bigEndian;
        const std::vector<uint8_t> picture = TakeSimulatedPicture(settings);
        ASSERT_FALSE(picture.empty());
        ExifReader reader;
        ASSERT_TRUE(reader.OpenBytes(picture, "IMG_0001.JPG"));
        EXPECT_TRUE(reader.exifParsed());
        EXPECT_EQ(reader.littleEndian(), !bigEndian);
        ASSERT_TRUE(reader.HasUsableSerial());
        EXPECT_EQ(reader.serialText(), *settings.serial);
        EXPECT_EQ(reader.makerNoteEntries().at(kCameraSerialTag).value, 2718281828u);
    }
}

TEST(ExifReaderOnSimulatedCamera, MakerNoteNumberWinsOverTheBodyTextAndTextAloneIsUsed) {
    sim::CameraSettings both;
    both.serial = "12AB5";  // not a number: the camera's maker note carries its own
    both.makerNoteSerial = std::optional<uint32_t>(123456);
    both.exifBodySerial = std::optional<std::string>("BODY 77");
    ExifReader reader;
    ASSERT_TRUE(reader.OpenBytes(TakeSimulatedPicture(both), "IMG_0001.JPG"));
    EXPECT_EQ(reader.serialText(), "0000123456");

    sim::CameraSettings textOnly;
    textOnly.makerNoteSerial = std::optional<uint32_t>();
    textOnly.exifBodySerial = std::optional<std::string>("BODY 77");
    ExifReader fromText;
    ASSERT_TRUE(fromText.OpenBytes(TakeSimulatedPicture(textOnly), "IMG_0001.JPG"));
    EXPECT_EQ(fromText.serialText(), "BODY077");

    sim::CameraSettings none;
    none.makerNoteSerial = std::optional<uint32_t>();
    none.exifBodySerial = std::optional<std::string>();
    ExifReader without;
    ASSERT_TRUE(without.OpenBytes(TakeSimulatedPicture(none), "IMG_0001.JPG"));
    EXPECT_EQ(without.serialFound(), 0);
}

TEST(ExifReaderOnSimulatedCamera, ReadsALargePictureFromItsFile) {
    sim::CameraSettings settings;
    settings.pictureBytes = 3 * 1024 * 1024;
    const std::vector<uint8_t> picture = TakeSimulatedPicture(settings);
    ASSERT_GE(picture.size(), settings.pictureBytes);
    const talbex::testing::TempFolder folder("talbex-sim-picture");
    const std::string path = folder / "IMG_0001.JPG";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(picture.data()), static_cast<long>(picture.size()));
    ExifReader reader;
    EXPECT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.serialText(), "2718281828");
}

}  // namespace
}  // namespace talbex::exif
