#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/raster/jpeg_decoder.h"
#include "platform/raster/jpeg_encoder.h"

namespace talbex::raster {
namespace {

// Four flat quadrants: red, green, blue, white.
Bitmap Quadrants(int width, int height) {
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            b.Set(x, y,
                  !bottom ? (right ? Rgb{0, 255, 0} : Rgb{255, 0, 0})
                          : (right ? kWhite : Rgb{0, 0, 255}));
        }
    return b;
}

void ExpectNear(Rgb actual, Rgb expected) {
    EXPECT_NEAR(actual.r, expected.r, 10);
    EXPECT_NEAR(actual.g, expected.g, 10);
    EXPECT_NEAR(actual.b, expected.b, 10);
}

TEST(Jpeg, DecodesWhatWasEncodedAtItsOwnSize) {
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(Quadrants(160, 96), 95, jpeg));
    Bitmap out;
    std::string error;
    JpegDecoder decoder;
    // The decoder is reused for many frames; the second decode must be as good.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(decoder.Decode(jpeg.data(), jpeg.size(), out, &error)) << error;
        ASSERT_EQ(out.Width(), 160);
        ASSERT_EQ(out.Height(), 96);
        ExpectNear(out.At(40, 24), Rgb{255, 0, 0});
        ExpectNear(out.At(120, 24), Rgb{0, 255, 0});
        ExpectNear(out.At(40, 72), Rgb{0, 0, 255});
        ExpectNear(out.At(120, 72), kWhite);
    }
}

TEST(Jpeg, CorruptInputAnswersAnErrorAndTheDecoderStaysUsable) {
    std::vector<uint8_t> good;
    ASSERT_TRUE(EncodeJpeg(Quadrants(64, 64), 90, good));
    JpegDecoder decoder;
    Bitmap out;
    std::string error;

    EXPECT_FALSE(decoder.Decode(nullptr, 0, out, &error));
    EXPECT_FALSE(error.empty());

    std::vector<uint8_t> noise(4096);
    srand(7);
    for (auto& byte : noise)
        byte = static_cast<uint8_t>(rand());
    error.clear();
    EXPECT_FALSE(decoder.Decode(noise.data(), noise.size(), out, &error));
    EXPECT_FALSE(error.empty());

    // Only the start of the header.
    EXPECT_FALSE(decoder.Decode(good.data(), 20, out, &error));

    // A header claiming a picture far too large must be refused before any allocation.
    std::vector<uint8_t> huge = good;
    for (size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {  // start of frame: height, width
            huge[i + 5] = huge[i + 7] = 0x7F;          // 32512 x 32512
            huge[i + 6] = huge[i + 8] = 0x00;
            break;
        }
    }
    error.clear();
    EXPECT_FALSE(decoder.Decode(huge.data(), huge.size(), out, &error));
    EXPECT_NE(error.find("size"), std::string::npos) << error;

    // A frame cut short is padded, not a crash.
    decoder.Decode(good.data(), good.size() / 2, out, &error);

    ASSERT_TRUE(decoder.Decode(good.data(), good.size(), out, &error)) << error;
    EXPECT_EQ(out.Width(), 64);
}

TEST(Jpeg, OneShotDecodeAndEmptyEncode) {
    std::vector<uint8_t> jpeg;
    EXPECT_FALSE(EncodeJpeg(Bitmap(), 90, jpeg));
    ASSERT_TRUE(EncodeJpeg(Quadrants(16, 8), 90, jpeg));
    Bitmap out;
    EXPECT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), out));
    EXPECT_EQ(out.Width(), 16);
    EXPECT_EQ(out.Height(), 8);
}

}  // namespace
}  // namespace talbex::raster
