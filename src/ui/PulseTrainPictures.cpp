#include "ui/PulseTrainPictures.h"

#include "ui/ViewPalette.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace {

// The shapes on a 36 x 18 grid, y growing downwards.
QPolygonF Shape(int style) {
    switch (style) {
    case 0:
        return QPolygonF(
            {{2, 14}, {10, 14}, {10, 6}, {20, 6}, {20, 10}, {28, 10}, {28, 3}, {34, 3}});
    case 1:
        return QPolygonF({{2, 14}, {10, 4}, {18, 11}, {26, 3}, {34, 14}});
    default:
        return QPolygonF({{2, 14},
                          {6, 14},
                          {6, 4},
                          {10, 4},
                          {10, 14},
                          {16, 14},
                          {16, 4},
                          {20, 4},
                          {20, 14},
                          {26, 14},
                          {26, 4},
                          {30, 4},
                          {30, 14},
                          {34, 14}});
    }
}

} // namespace

QIcon PulseTrainPictures::Of(int style) {
    QPixmap picture(kSize * 2);
    picture.setDevicePixelRatio(2.0);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(ViewPalette::kAxis), 1.5));
    const QPolygonF shape = Shape(style);
    painter.drawPolyline(shape);
    if (style == 1) {
        painter.setBrush(QColor(ViewPalette::kAxis));
        for (const QPointF& node : shape) {
            painter.drawEllipse(node, 1.8, 1.8);
        }
    }
    return QIcon(picture);
}
