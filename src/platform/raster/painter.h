// 1-pixel drawing on a bitmap, as the live-view overlay needs it: a current pen and
// brush that callers select and restore, lines from a current position, and rectangles.
// All drawing is clipped to the bitmap; coordinates far outside it cost nothing extra.
#pragma once

#include "platform/raster/bitmap.h"

namespace talbex::raster {

struct Pen {
    Rgb colour = kBlack;
    bool null = false;  // draws nothing
    friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
    Rgb colour = kWhite;
    bool hollow = false;  // leaves the inside of rectangles untouched
    friend bool operator==(const Brush&, const Brush&) = default;
};

class Painter {
  public:
    explicit Painter(Bitmap& target) : target_(target) {}

    /// Selects a pen or brush and answers the one that was selected before.
    Pen SelectPen(Pen pen);
    Brush SelectBrush(Brush brush);
    const Pen& CurrentPen() const { return pen_; }
    const Brush& CurrentBrush() const { return brush_; }

    void MoveTo(int x, int y);
    /// Draws from the current position to (x, y), leaving out the end point itself (so a
    /// closed outline drawn corner to corner covers each corner exactly once), and makes
    /// (x, y) the current position.
    void LineTo(int x, int y);

    /// The rectangle covering pixels left..right-1 and top..bottom-1: outlined with the
    /// pen, filled with the brush unless it is hollow. Corners given in any order.
    void Rectangle(int left, int top, int right, int bottom);

    // Drawing that ignores pen and brush, clipped like the rest.
    /// Pixels left..right-1 by top..bottom-1 become `colour`.
    void FillRect(int left, int top, int right, int bottom, Rgb colour);
    /// Pixels left..right-1 by top..bottom-1 move towards `colour` by `alpha` (0..256).
    void BlendRect(int left, int top, int right, int bottom, Rgb colour, int alpha);

  private:
    void HorizontalSpan(int64_t x0, int64_t x1, int64_t y, Rgb colour);  // x0..x1 inclusive
    void VerticalSpan(int64_t x, int64_t y0, int64_t y1, Rgb colour);    // y0..y1 inclusive

    Bitmap& target_;
    Pen pen_;
    Brush brush_;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace talbex::raster
