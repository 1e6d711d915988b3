// The histogram a drawing counts, the small decodes thumbnails use, and the shrinking and
// fitting that show them.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "platform/raster/histogram.h"
#include "platform/raster/jpeg_decoder.h"
#include "platform/raster/jpeg_encoder.h"
#include "platform/raster/stretch.h"

namespace talbex::raster {
namespace {

uint32_t Sum(const std::array<uint32_t, Histogram::kLevels>& levels) {
    return std::accumulate(levels.begin(), levels.end(), 0u);
}

// A picture of horizontal bands, each of one colour and `rows` rows.
Bitmap Bands(int width, const std::vector<std::pair<Rgb, int>>& bands) {
    int height = 0;
    for (const auto& band : bands)
        height += band.second;
    Bitmap b(width, height);
    int y = 0;
    for (const auto& [colour, rows] : bands)
        for (int end = y + rows; y < end; ++y)
            for (int x = 0; x < width; ++x)
                b.Set(x, y, colour);
    return b;
}

TEST(Histogram, TheStretchCountsTheRowsItTakesSampledEvenly) {
    const Rgb red{255, 0, 0}, grey{100, 100, 100}, blue{0, 0, 255};
    const Bitmap source = Bands(600, {{red, 100}, {grey, 200}, {blue, 100}});
    struct Case {
        Rect rect;  // shrunk, copied, enlarged, clipped at the top
        int target;
    } const cases[] = {{{0, 0, 300, 200}, 200},
                       {{0, 0, 600, 400}, 400},
                       {{0, 0, 1200, 800}, 800},
                       {{0, -400, 600, 800}, 400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.width);
        Bitmap target(c.rect.width, c.target);
        Histogram h;
        StretchBlit(source, target, c.rect, &h);
        ASSERT_GT(h.samples, 0u);
        EXPECT_LE(h.samples, Histogram::kTargetSamples * 2);
        for (const auto* levels : {&h.luminance, &h.red, &h.green, &h.blue})
            EXPECT_EQ(Sum(*levels), h.samples);
        // The bands drawn, in their shares of the rows drawn (within a sampling step).
        const int shownRows = c.rect.top < 0 ? 200 : 400;  // the clipped case shows the rest
        const double redShare = c.rect.top < 0 ? 0.0 : 100.0 / shownRows;
        const double blueShare = 100.0 / shownRows;
        const double n = h.samples;
        EXPECT_NEAR(h.red[255] / n, redShare, 0.05);
        EXPECT_NEAR(h.blue[255] / n, blueShare, 0.05);
        EXPECT_NEAR(h.green[100] / n, 1 - redShare - blueShare, 0.05);
        EXPECT_EQ(h.luminance[Luminance(255, 0, 0)], h.red[255]);
        EXPECT_EQ(h.luminance[Luminance(0, 0, 255)], h.blue[255]);
        EXPECT_EQ(h.luminance[100], h.green[100]);
    }
    // Without a histogram the same drawing is made.
    Bitmap counted(300, 200), plain(300, 200);
    Histogram h;
    StretchBlit(source, counted, {0, 0, 300, 200}, &h);
    StretchBlit(source, plain, {0, 0, 300, 200});
    for (int y = 0; y < 200; ++y)
        ASSERT_EQ(std::memcmp(counted.Row(y), plain.Row(y), counted.Stride()), 0) << y;
}

TEST(Histogram, ThumbnailsDecodeSmallShrinkByAveragingAndFitTheirBox) {
    // Vertical stripes one pixel wide, black and white: averaged, grey.
    Bitmap stripes(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; x += 2)
            stripes.Set(x, y, kWhite);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(stripes, 95, jpeg));
    int width = 0, height = 0;
    ASSERT_TRUE(JpegSize(jpeg.data(), jpeg.size(), &width, &height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_FALSE(JpegSize(jpeg.data(), 10, &width, &height));
    JpegDecoder decoder;
    for (int denominator : {1, 2, 4, 8, 3}) {
        Bitmap out;
        ASSERT_TRUE(decoder.DecodeScaled(jpeg.data(), jpeg.size(), denominator, out));
        const int d = denominator == 3 ? 1 : denominator;
        EXPECT_EQ(out.Width(), 640 / d) << denominator;
        EXPECT_EQ(out.Height(), 480 / d) << denominator;
    }
    Bitmap box(100, 100, Rgb{1, 2, 3});
    const Rect fitted = FitInside(640, 480, {0, 0, 100, 100});
    EXPECT_EQ(fitted, (Rect{0, 12, 100, 75}));
    ShrinkBlit(stripes, box, fitted);
    EXPECT_EQ(box.At(50, 5), (Rgb{1, 2, 3}));  // the bars stay as they were
    const Rgb middle = box.At(50, 50);
    EXPECT_NEAR(middle.r, 127, 2);
    EXPECT_EQ(middle.r, middle.g);

    struct Fit {
        int w, h;
        Rect box, expected;
    } const fits[] = {
        {1024, 680, {759, 187, 831, 694}, {759, 258, 831, 551}},
        {680, 1024, {0, 0, 400, 400}, {67, 0, 265, 400}},
        {0, 10, {5, 5, 10, 10}, {5, 5, 0, 0}},
    };
    for (const Fit& f : fits)
        EXPECT_EQ(FitInside(f.w, f.h, f.box), f.expected) << f.w << "x" << f.h;
}

}  // namespace
}  // namespace talbex::raster
