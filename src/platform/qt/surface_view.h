// The widget of a picture frame: shows the control's pixel surface as the dialog code
// drew it (live view), pixel for pixel, and keeps the last picture for repainting. A
// high-DPI screen enlarges it without smoothing, like the drawing itself.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "platform/raster/bitmap.h"

namespace talbex::qt {

class SurfaceView final : public QWidget {
  public:
    explicit SurfaceView(QWidget* parent);

    /// Copies the surface and schedules a repaint. GUI thread.
    void Show(const raster::Bitmap& surface);

    const QImage& image() const { return image_; }
    /// Pictures taken from the surface, and pictures Qt actually painted (several taken
    /// between two paints are painted once).
    uint64_t framesTaken() const { return taken_; }
    uint64_t framesPainted() const { return painted_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
    uint64_t taken_ = 0;
    uint64_t painted_ = 0;
    uint64_t paintedUpTo_ = 0;  // framesTaken() at the last paint
};

}  // namespace talbex::qt
