#include "platform/qt/surface_view.h"

#include <QPainter>

#include <cstring>

namespace talbex::qt {

SurfaceView::SurfaceView(QWidget* parent) : QWidget(parent) {
    // The picture covers the whole widget: no background to clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceView::Show(const raster::Bitmap& surface) {
    if (image_.width() != surface.Width() || image_.height() != surface.Height())
        image_ = QImage(surface.Width(), surface.Height(), QImage::Format_RGB888);
    for (int y = 0; y < surface.Height(); ++y)
        std::memcpy(image_.scanLine(y), surface.Row(y), surface.Stride());
    ++taken_;
    update();
}

void SurfaceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), image_);
    if (paintedUpTo_ != taken_) {
        paintedUpTo_ = taken_;
        ++painted_;
    }
}

}  // namespace talbex::qt
