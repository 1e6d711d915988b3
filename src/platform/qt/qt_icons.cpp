#include "platform/qt/qt_icons.h"

#include <QByteArray>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "resources/icons.h"

namespace talbex::qt {

namespace {

void AddSizes(QIcon& icon, int resourceId, std::initializer_list<int> sizes) {
    const std::string_view svg = resources::IconSvg(resourceId);
    if (svg.empty())
        return;
    QSvgRenderer renderer(QByteArray(svg.data(), static_cast<qsizetype>(svg.size())));
    if (!renderer.isValid())
        return;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
}

}  // namespace

QIcon WindowIcon(int smallIconId, int bigIconId) {
    const int small = smallIconId != 0 ? smallIconId : bigIconId;
    const int big = bigIconId != 0 ? bigIconId : smallIconId;
    QIcon icon;
    AddSizes(icon, small, {16, 24, 32});
    AddSizes(icon, big, {48, 64, 128, 256});
    return icon;
}

}  // namespace talbex::qt
