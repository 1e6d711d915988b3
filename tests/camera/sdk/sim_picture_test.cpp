// Pictures of the simulated camera: real JPEG files whose EXIF holds the serial where the
// program's reader looks, announced with 0x208 and transferred in chunks with progress.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "sim_fixture.h"

namespace talbex::sim::testing {
namespace {

using PictureTest = SimCameraTest;

class PictureByteOrderTest : public SimCameraTest, public ::testing::WithParamInterface<bool> {};

void ExpectProgressFromZeroToHundred(const std::vector<uint32_t>& progress) {
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.front(), 0u);
    EXPECT_EQ(progress.back(), 100u);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i], progress[i - 1]);
}

TEST_P(PictureByteOrderTest, PictureIsAJpegWithTheSerialWhereTheReaderLooks) {
    CameraSettings settings;  // full size
    settings.exifBigEndian = GetParam();
    Open({settings});
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    SdkDirectoryItemInfo info{};
    ASSERT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
    EXPECT_STREQ(info.fileName, "IMG_0001.JPG");
    EXPECT_EQ(info.isFolder, 0);
    std::vector<uint32_t> progress;
    const std::vector<uint8_t> file = Transfer(item, &progress);
    SdkRelease(item);
    ASSERT_EQ(file.size(), info.size);
    ExpectProgressFromZeroToHundred(progress);

    const DecodedJpeg jpeg = DecodeJpeg(file.data(), file.size());
    ASSERT_TRUE(jpeg.ok);
    EXPECT_EQ(jpeg.width, 1600);
    EXPECT_EQ(jpeg.height, 1067);
    EXPECT_EQ(file[file.size() - 2], 0xFF);
    EXPECT_EQ(file[file.size() - 1], 0xD9);

    const ExifFindings exif = WalkExif(file);
    EXPECT_TRUE(exif.app1AfterSoi);
    EXPECT_TRUE(exif.exifHeader);
    EXPECT_EQ(exif.littleEndian, !GetParam());
    ASSERT_TRUE(exif.bodySerial);
    EXPECT_EQ(exif.bodySerialType, 2);
    EXPECT_EQ(*exif.bodySerial, "2718281828");
    ASSERT_TRUE(exif.makerSerial);
    EXPECT_EQ(exif.makerSerialType, 4);
    EXPECT_EQ(exif.makerSerialCount, 1u);
    EXPECT_EQ(*exif.makerSerial, 2718281828u);
    EXPECT_EQ(file, sim_->LastPicture());
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, PictureByteOrderTest, ::testing::Values(false, true),
                         [](const auto& info) {
                             return info.param ? "BigEndian" : "LittleEndian";
                         });

TEST_F(PictureTest, MakerNoteSerialIsConfiguredApartFromTheProperty) {
    CameraSettings settings = SmallCamera();
    settings.serial = "12AB5";  // not usable: the program reads the picture instead
    settings.makerNoteSerial = std::optional<uint32_t>(123456);
    Open({settings});
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    std::vector<uint32_t> progress;
    const ExifFindings exif = WalkExif(Transfer(item, &progress));
    SdkRelease(item);
    EXPECT_EQ(exif.makerSerial, 123456u);
    EXPECT_EQ(exif.bodySerial, "0000123456");

    // A camera whose pictures carry no serial at all.
    CameraSettings bare = SmallCamera();
    bare.makerNoteSerial = std::optional<uint32_t>();
    bare.exifBodySerial = std::optional<std::string>();
    sim_ = backend_->Attach(bare);
    SdkCloseSession(camera_);
    SdkRelease(camera_);
    camera_ = CameraAt(1);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    events_.Register(camera_);
    item = TakePicture();
    ASSERT_NE(item, nullptr);
    const ExifFindings none = WalkExif(Transfer(item, &progress));
    SdkRelease(item);
    EXPECT_TRUE(none.makerNoteIfd) << "the maker note is still there";
    EXPECT_FALSE(none.makerSerial);
    EXPECT_FALSE(none.bodySerial);

    // A body serial of up to four bytes with its terminator sits in the value field.
    CameraSettings shortSerial = SmallCamera();
    shortSerial.exifBodySerial = std::optional<std::string>("12");
    sim_ = backend_->Attach(shortSerial);
    SdkCloseSession(camera_);
    SdkRelease(camera_);
    camera_ = CameraAt(2);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    events_.Register(camera_);
    item = TakePicture();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(WalkExif(Transfer(item, &progress)).bodySerial, "12");
    SdkRelease(item);
}

TEST_F(PictureTest, NumberingAndShutterCountGoOn) {
    Open();
    for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG"}) {
        SdkDirectoryItemRef item = TakePicture();
        ASSERT_NE(item, nullptr);
        SdkDirectoryItemInfo info{};
        ASSERT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
        EXPECT_STREQ(info.fileName, name);
        SdkRelease(item);
    }
    // A full press takes a picture; a half press focuses only.
    events_.Clear();
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonHalfway),
              kSdkOk);
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonCompletely),
              kSdkOk);
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonOff), kSdkOk);
    SdkDirectoryItemRef item = events_.TakeObject(kObjectEventDirItemRequestTransfer);
    ASSERT_NE(item, nullptr);
    SdkDirectoryItemInfo info{};
    ASSERT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
    EXPECT_STREQ(info.fileName, "IMG_0003.JPG");
    SdkRelease(item);
    EXPECT_EQ(sim_->PicturesTaken(), 3u);
    uint32_t count = 0;
    ASSERT_EQ(SdkGetShutterCount(camera_, &count), kSdkOk);
    EXPECT_EQ(count, 1523u);
    EXPECT_NE(SdkSendCommand(camera_, kCameraCommandPressShutterButton, 7), kSdkOk);

    // Numbering survives closing and reopening the library, as on a real camera.
    SdkCloseSession(camera_);
    SdkRelease(camera_);
    camera_ = nullptr;
    events_.Clear();
    ASSERT_EQ(SdkTerminate(), kSdkOk);
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    camera_ = CameraAt(0);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    events_.Register(camera_);
    item = TakePicture();
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
    EXPECT_STREQ(info.fileName, "IMG_0004.JPG");
    SdkRelease(item);
}

TEST_F(PictureTest, PicturesStayOnTheCardUnlessTheComputerIsAsked) {
    Open();
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkOk);
    events_.Settle();
    EXPECT_FALSE(events_.Has(kObjectEventDirItemRequestTransfer, 0));
    EXPECT_EQ(sim_->PicturesTaken(), 1u);
    EXPECT_EQ(sim_->ShutterCount(), 1521u);
}

TEST_F(PictureTest, TransferIntoAFileStream) {
    Open();
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    SdkDirectoryItemInfo info{};
    ASSERT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
    const std::string path =
        ::testing::TempDir() + "sim_picture_" + std::to_string(getpid()) + "_" + info.fileName;
    SdkStreamRef stream = nullptr;
    ASSERT_EQ(SdkCreateFileStream(path.c_str(), kFileCreateAlways, kAccessReadWrite, &stream),
              kSdkOk);
    EXPECT_NE(SdkDownload(item, info.size + 1, stream), kSdkOk) << "the size must be the item's";
    ASSERT_EQ(SdkDownload(item, info.size, stream), kSdkOk);
    ASSERT_EQ(SdkDownloadComplete(item), kSdkOk);
    SdkRelease(stream);
    SdkRelease(item);
    EXPECT_EQ(ReadFile(path), sim_->LastPicture());
    std::filesystem::remove(path);
}

TEST_F(PictureTest, BigPicturesArePaddedAndStillDecode) {
    Open();
    constexpr uint64_t kBytes = 3u << 20;
    sim_->SetPictureBytes(kBytes);
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    std::vector<uint32_t> progress;
    const std::vector<uint8_t> file = Transfer(item, &progress);
    SdkRelease(item);
    EXPECT_GE(file.size(), kBytes);
    EXPECT_LT(file.size(), kBytes + 4);
    ExpectProgressFromZeroToHundred(progress);
    EXPECT_GE(progress.size(), 16u) << "a big transfer reports many steps";
    EXPECT_TRUE(DecodeJpeg(file.data(), file.size()).ok);
    EXPECT_EQ(WalkExif(file).makerSerial, 2718281828u);
}

TEST_F(PictureTest, TransferTimeIsSpreadOverTheChunks) {
    CameraSettings settings = SmallCamera();
    settings.transferMs = 300;
    Open({settings});
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    std::vector<uint32_t> progress;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<uint8_t> file = Transfer(item, &progress);
    const auto took = std::chrono::steady_clock::now() - start;
    SdkRelease(item);
    EXPECT_GE(took, std::chrono::milliseconds(290));
    EXPECT_TRUE(DecodeJpeg(file.data(), file.size()).ok);
    ExpectProgressFromZeroToHundred(progress);
}

}  // namespace
}  // namespace talbex::sim::testing
