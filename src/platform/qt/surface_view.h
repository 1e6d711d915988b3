// The widget of a picture frame: shows the control's pixel surface as the dialog code
// drew it (live view), pixel for pixel of the screen: the surface has as many pixels as
// the widget covers on a high-density screen too, and is painted straight from the
// dialog's data, without a copy (the dialog runs on the GUI thread, the only one that
// draws on it). Clicks and double-clicks go to the dialog as user input.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

#include "platform/raster/bitmap.h"

namespace talbex::qt {

class SurfaceView final : public QWidget {
  public:
    explicit SurfaceView(QWidget* parent);

    /// Shows `surface` (which must outlive the view, or be replaced before it goes) and
    /// schedules a repaint. GUI thread.
    void Show(const raster::Bitmap& surface);
    /// What a click and a double-click do (GUI thread).
    void SetClicks(std::function<void()> clicked, std::function<void()> doubleClicked);

    /// A copy of the picture shown (for tests).
    QImage image() const;
    /// Pictures taken from the surface, and pictures Qt actually painted (several taken
    /// between two paints are painted once).
    uint64_t framesTaken() const { return taken_; }
    uint64_t framesPainted() const { return painted_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    const raster::Bitmap* surface_ = nullptr;
    std::function<void()> clicked_;
    std::function<void()> doubleClicked_;
    bool afterDoubleClick_ = false;  // the release ending a double-click is no click
    uint64_t taken_ = 0;
    uint64_t painted_ = 0;
    uint64_t paintedUpTo_ = 0;  // framesTaken() at the last paint
};

}  // namespace talbex::qt
