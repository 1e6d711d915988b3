#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

#include "platform/raster/jpeg_encoder.h"
#include "platform/raster/painter.h"
#include "platform/raster/stretch.h"

namespace talbex::raster {
namespace {

using Pixels = std::set<std::pair<int, int>>;

// Every pixel of `b` that is not black.
Pixels Lit(const Bitmap& b) {
    Pixels lit;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (!(b.At(x, y) == kBlack))
                lit.insert({x, y});
    return lit;
}

Rgb Unique(int x, int y) {
    return Rgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y),
               static_cast<uint8_t>((x >> 8) | ((y >> 8) << 4))};
}

TEST(Bitmap, SizesPixelsAndOutOfRangeAccess) {
    Bitmap b(3, 2, Rgb{1, 2, 3});
    EXPECT_EQ(b.At(2, 1), (Rgb{1, 2, 3}));
    b.Set(5, 5, kWhite);  // outside: ignored
    EXPECT_EQ(b.At(-1, 0), kBlack);
    b.Resize(-4, 10);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
}

TEST(Stretch, HalvingTakesEveryOtherPixelWithoutBlending) {
    Bitmap source(1024, 680);
    for (int y = 0; y < 680; ++y)
        for (int x = 0; x < 1024; ++x)
            source.Set(x, y, Unique(x, y));
    Bitmap target(512, 340);
    StretchBlit(source, target, Rect{0, 0, 512, 340});
    for (int y = 0; y < 340; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(target.At(x, y), source.At(2 * x, 2 * y)) << x << "," << y;
}

TEST(Stretch, EnlargesByRepeatingAndClipsToTheTarget) {
    Bitmap source(2, 2);
    source.Set(0, 0, Rgb{10, 0, 0});
    source.Set(1, 0, Rgb{20, 0, 0});
    source.Set(0, 1, Rgb{30, 0, 0});
    source.Set(1, 1, Rgb{40, 0, 0});
    Bitmap target(3, 3, kWhite);
    // A 4x4 picture placed at (-1, -1): only its lower right 3x3 lands on the target.
    StretchBlit(source, target, Rect{-1, -1, 4, 4});
    const uint8_t expected[3][3] = {{10, 20, 20}, {30, 40, 40}, {30, 40, 40}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(target.At(x, y).r, expected[y][x]) << x << "," << y;
    // Aspect ratio is not kept: 2x2 onto 3x1 squeezes rows only.
    Bitmap wide(3, 1);
    StretchBlit(source, wide, Rect{0, 0, 3, 1});
    EXPECT_EQ(wide.At(0, 0).r, 10);
    EXPECT_EQ(wide.At(2, 0).r, 20);
    // Empty rectangles or sources draw nothing.
    Bitmap untouched(2, 2, kWhite);
    StretchBlit(source, untouched, Rect{0, 0, 0, 2});
    StretchBlit(Bitmap(), untouched, Rect{0, 0, 2, 2});
    EXPECT_EQ(Lit(untouched).size(), 4u);
    EXPECT_EQ(untouched.At(0, 0), kWhite);
}

TEST(Stretch, DecodingOnlyTheRowsTakenGivesExactlyTheFullDecodeStretched) {
    // A busy picture with chroma subsampling, so that neighbouring rows matter.
    Bitmap picture(1024, 680);
    for (int y = 0; y < 680; ++y)
        for (int x = 0; x < 1024; ++x)
            picture.Set(x, y,
                        Rgb{static_cast<uint8_t>(x * 7 + y), static_cast<uint8_t>(x ^ y),
                            static_cast<uint8_t>((x * y) >> 5)});
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(picture, 85, jpeg));
    Bitmap whole;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), whole));
    JpegDecoder decoder;
    Bitmap scratch;
    for (Rect rect : {Rect{0, 0, 347, 221}, Rect{0, 0, 512, 340}, Rect{-30, -50, 400, 300},
                      Rect{0, 0, 2048, 1360}}) {
        Bitmap expected(347, 221);
        Bitmap actual(347, 221);
        StretchBlit(whole, expected, rect);
        ASSERT_TRUE(DecodeJpegOnto(decoder, jpeg.data(), jpeg.size(), scratch, actual, rect));
        for (int y = 0; y < 221; ++y)
            ASSERT_EQ(std::memcmp(expected.Row(y), actual.Row(y), expected.Stride()), 0)
                << "row " << y << " of " << rect.width << "x" << rect.height;
    }
    // Undecodable data draws nothing.
    Bitmap untouched(4, 4, kWhite);
    const uint8_t junk[] = {0xFF, 0xD8, 0xFF, 0x00};
    EXPECT_FALSE(DecodeJpegOnto(decoder, junk, sizeof junk, scratch, untouched, Rect{0, 0, 4, 4}));
    EXPECT_EQ(Lit(untouched).size(), 16u);
    EXPECT_EQ(untouched.At(1, 1), kWhite);
}

TEST(Painter, ClosedOutlineCoversEachEdgeAndCornerExactly) {
    Bitmap b(200, 120);
    Painter p(b);
    p.SelectPen(Pen{kWhite});
    p.MoveTo(64, 48);
    p.LineTo(128, 48);
    p.LineTo(128, 96);
    p.LineTo(64, 96);
    p.LineTo(64, 48);
    Pixels expected;
    for (int x = 64; x <= 128; ++x) {
        expected.insert({x, 48});
        expected.insert({x, 96});
    }
    for (int y = 48; y <= 96; ++y) {
        expected.insert({64, y});
        expected.insert({128, y});
    }
    EXPECT_EQ(Lit(b), expected);
}

TEST(Painter, LineLeavesOutItsEndPointAndSlopedLinesStepEvenly) {
    Bitmap b(10, 10);
    Painter p(b);
    p.SelectPen(Pen{kWhite});
    p.MoveTo(1, 1);
    p.LineTo(4, 1);
    EXPECT_EQ(Lit(b), (Pixels{{1, 1}, {2, 1}, {3, 1}}));
    b.Fill(kBlack);
    p.MoveTo(0, 0);
    p.LineTo(4, 2);
    EXPECT_EQ(Lit(b), (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
    b.Fill(kBlack);
    p.MoveTo(2, 6);
    p.LineTo(0, 0);  // steep, upwards and to the left
    EXPECT_EQ(Lit(b), (Pixels{{2, 6}, {2, 5}, {1, 4}, {1, 3}, {1, 2}, {0, 1}}));
}

TEST(Painter, HollowRectangleOutlinesRightAndBottomInside) {
    Bitmap b(10, 10);
    Painter p(b);
    p.SelectPen(Pen{Rgb{0, 255, 0}});
    p.SelectBrush(Brush{kWhite, true});
    p.Rectangle(2, 3, 6, 6);
    Pixels expected;
    for (int x = 2; x <= 5; ++x) {
        expected.insert({x, 3});
        expected.insert({x, 5});
    }
    expected.insert({2, 4});
    expected.insert({5, 4});
    EXPECT_EQ(Lit(b), expected);
    EXPECT_EQ(b.At(2, 3), (Rgb{0, 255, 0}));
    // A solid brush fills the inside.
    Bitmap filled(10, 10);
    Painter q(filled);
    q.SelectPen(Pen{kWhite});
    q.SelectBrush(Brush{Rgb{9, 9, 9}, false});
    q.Rectangle(6, 6, 2, 2);  // corners in any order
    EXPECT_EQ(filled.At(3, 3), (Rgb{9, 9, 9}));
    EXPECT_EQ(filled.At(2, 2), kWhite);
    EXPECT_EQ(filled.At(6, 6), kBlack);
}

TEST(Painter, ClipsFarAwayShapesQuicklyAndSelectAnswersThePreviousTool) {
    Bitmap b(20, 10);
    Painter p(b);
    const Pen old = p.SelectPen(Pen{kWhite});
    EXPECT_EQ(old, Pen{});
    EXPECT_EQ(p.SelectBrush(Brush{kBlack, true}), Brush{});
    // Edges far outside: only the visible parts are drawn, without walking the rest.
    p.Rectangle(-2000000000, 5, 2000000000, 2000000000);
    Pixels expected;
    for (int x = 0; x < 20; ++x)
        expected.insert({x, 5});
    EXPECT_EQ(Lit(b), expected);
    b.Fill(kBlack);
    p.MoveTo(-1000000000, -1000000000);
    p.LineTo(1000000000, 1000000000);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(b.At(i, i), kWhite) << i;
    EXPECT_EQ(Lit(b).size(), 10u);
    const Pen mine = p.SelectPen(old);
    EXPECT_EQ(mine, Pen{kWhite});
    EXPECT_EQ(p.CurrentPen(), old);
    b.Fill(kBlack);
    p.SelectPen(Pen{kWhite, true});  // null pen draws nothing
    p.MoveTo(0, 0);
    p.LineTo(5, 0);
    EXPECT_TRUE(Lit(b).empty());
}

}  // namespace
}  // namespace talbex::raster
