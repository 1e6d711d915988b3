#include "platform/raster/painter.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace talbex::raster {

Pen Painter::SelectPen(Pen pen) {
    return std::exchange(pen_, pen);
}

Brush Painter::SelectBrush(Brush brush) {
    return std::exchange(brush_, brush);
}

void Painter::MoveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

void Painter::HorizontalSpan(int64_t x0, int64_t x1, int64_t y, Rgb colour) {
    if (y < 0 || y >= target_.Height())
        return;
    if (x0 > x1)
        std::swap(x0, x1);
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, target_.Width() - 1);
    if (x0 > x1)
        return;
    uint32_t* row = target_.Pixels(static_cast<int>(y));
    std::fill(row + x0, row + x1 + 1, PixelOf(colour));
}

void Painter::FillRect(int left, int top, int right, int bottom, Rgb colour) {
    const int y0 = std::max(top, 0);
    const int y1 = std::min(bottom, target_.Height());
    for (int y = y0; y < y1; ++y)
        HorizontalSpan(left, static_cast<int64_t>(right) - 1, y, colour);
}

void Painter::BlendRect(int left, int top, int right, int bottom, Rgb colour, int alpha) {
    const int x0 = std::max(left, 0);
    const int x1 = std::min(right, target_.Width());
    const int y0 = std::max(top, 0);
    const int y1 = std::min(bottom, target_.Height());
    const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 256));
    const uint32_t keep = 256 - a;
    const uint32_t r = colour.r * a, g = colour.g * a, b = colour.b * a;
    for (int y = y0; y < y1; ++y) {
        uint32_t* p = target_.Pixels(y);
        for (int x = x0; x < x1; ++x) {
            const uint32_t v = p[x];
            p[x] = 0xFF000000u | ((((v >> 16) & 0xFF) * keep + r) >> 8) << 16 |
                   ((((v >> 8) & 0xFF) * keep + g) >> 8) << 8 | (((v & 0xFF) * keep + b) >> 8);
        }
    }
}

void Painter::VerticalSpan(int64_t x, int64_t y0, int64_t y1, Rgb colour) {
    if (x < 0 || x >= target_.Width())
        return;
    if (y0 > y1)
        std::swap(y0, y1);
    y0 = std::max<int64_t>(y0, 0);
    y1 = std::min<int64_t>(y1, target_.Height() - 1);
    for (int64_t y = y0; y <= y1; ++y)
        target_.Set(static_cast<int>(x), static_cast<int>(y), colour);
}

void Painter::LineTo(int x, int y) {
    const int64_t fromX = x_;
    const int64_t fromY = y_;
    x_ = x;
    y_ = y;
    if (pen_.null)
        return;
    const int64_t dx = x - fromX;
    const int64_t dy = y - fromY;
    if (dx == 0 && dy == 0)
        return;
    const Rgb colour = pen_.colour;
    if (dy == 0) {
        HorizontalSpan(fromX, x - (dx > 0 ? 1 : -1), fromY, colour);
        return;
    }
    if (dx == 0) {
        VerticalSpan(fromX, fromY, y - (dy > 0 ? 1 : -1), colour);
        return;
    }
    // Sloped line: step along the longer axis; the other coordinate is the exact
    // quotient rounded half up. Only the steps whose main coordinate falls inside the
    // bitmap are walked, so far-away end points do not make the walk long.
    const bool alongX = std::llabs(dx) >= std::llabs(dy);
    const int64_t steps = alongX ? std::llabs(dx) : std::llabs(dy);
    const int64_t major0 = alongX ? fromX : fromY;
    const int64_t minor0 = alongX ? fromY : fromX;
    const int64_t majorStep = (alongX ? dx : dy) > 0 ? 1 : -1;
    const int64_t minorDelta = alongX ? dy : dx;
    const int64_t majorLimit = alongX ? target_.Width() : target_.Height();
    int64_t first = 0;
    int64_t last = steps - 1;  // the end point is left out
    if (majorStep > 0) {
        first = std::max<int64_t>(first, -major0);
        last = std::min<int64_t>(last, majorLimit - 1 - major0);
    } else {
        first = std::max<int64_t>(first, major0 - (majorLimit - 1));
        last = std::min<int64_t>(last, major0);
    }
    for (int64_t i = first; i <= last; ++i) {
        const int64_t numerator = 2 * i * minorDelta + steps;
        const int64_t denominator = 2 * steps;
        int64_t offset = numerator / denominator;
        if (numerator % denominator != 0 && numerator < 0)
            --offset;  // floor, not truncation
        const int64_t major = major0 + i * majorStep;
        const int64_t minor = minor0 + offset;
        if (alongX)
            target_.Set(static_cast<int>(major),
                        static_cast<int>(std::clamp<int64_t>(minor, -1, target_.Height())), colour);
        else
            target_.Set(static_cast<int>(std::clamp<int64_t>(minor, -1, target_.Width())),
                        static_cast<int>(major), colour);
    }
}

void Painter::Rectangle(int left, int top, int right, int bottom) {
    int64_t l = std::min(left, right);
    int64_t r = std::max(left, right);
    int64_t t = std::min(top, bottom);
    int64_t b = std::max(top, bottom);
    if (r - l < 1 || b - t < 1)
        return;
    --r;  // right and bottom edges are the last covered pixels
    --b;
    if (!brush_.hollow && l + 1 <= r - 1) {
        const int64_t fillTop = std::max<int64_t>(t + 1, 0);
        const int64_t fillBottom = std::min<int64_t>(b - 1, target_.Height() - 1);
        for (int64_t y = fillTop; y <= fillBottom; ++y)
            HorizontalSpan(l + 1, r - 1, y, brush_.colour);
    }
    if (pen_.null)
        return;
    HorizontalSpan(l, r, t, pen_.colour);
    HorizontalSpan(l, r, b, pen_.colour);
    VerticalSpan(l, t, b, pen_.colour);
    VerticalSpan(r, t, b, pen_.colour);
}

}  // namespace talbex::raster
