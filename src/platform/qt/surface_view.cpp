#include "platform/qt/surface_view.h"

#include <QMouseEvent>
#include <QPainter>

namespace talbex::qt {

namespace {

// The surface as an image over its own pixels (no copy): 0xFFRRGGBB per pixel.
QImage Over(const raster::Bitmap& surface) {
    return QImage(surface.Row(0), surface.Width(), surface.Height(),
                  static_cast<qsizetype>(surface.Stride()), QImage::Format_RGB32);
}

}  // namespace

SurfaceView::SurfaceView(QWidget* parent) : QWidget(parent) {
    // The picture covers the whole widget: no background to clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceView::Show(const raster::Bitmap& surface) {
    surface_ = &surface;
    ++taken_;
    update();
}

void SurfaceView::SetClicks(std::function<void()> clicked, std::function<void()> doubleClicked) {
    clicked_ = std::move(clicked);
    doubleClicked_ = std::move(doubleClicked);
}

QImage SurfaceView::image() const {
    if (surface_ == nullptr || surface_->Empty())
        return QImage();
    return Over(*surface_).copy();
}

void SurfaceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (surface_ == nullptr || surface_->Empty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const QImage image = Over(*surface_);
    const qreal ratio = devicePixelRatioF();
    if (image.width() == qRound(width() * ratio) && image.height() == qRound(height() * ratio)) {
        // Pixel for pixel of the screen: undo the screen's scaling and copy.
        painter.setTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
        painter.drawImage(QPointF(0, 0), image);
    } else {
        // The control was resized and its picture is not drawn anew yet.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(QRectF(rect()), image);
    }
    if (paintedUpTo_ != taken_) {
        paintedUpTo_ = taken_;
        ++painted_;
    }
}

void SurfaceView::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = !afterDoubleClick_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    afterDoubleClick_ = false;
    if (click && clicked_)
        clicked_();
}

void SurfaceView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    afterDoubleClick_ = true;
    if (doubleClicked_)
        doubleClicked_();
}

}  // namespace talbex::qt
