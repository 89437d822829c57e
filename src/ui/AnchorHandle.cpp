#include "ui/AnchorHandle.h"

#include "ui/ViewPalette.h"

#include <QPainter>
#include <QPolygonF>

AnchorHandle::AnchorHandle(Side side, QWidget* parent) : QWidget(parent), side_(side) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AnchorHandle::SetLineSide(Side side) {
    if (side_ != side) {
        side_ = side;
        update();
    }
}

void AnchorHandle::SetHighlighted(bool highlighted) {
    if (highlighted_ != highlighted) {
        highlighted_ = highlighted;
        update();
    }
}

void AnchorHandle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF box(0, 0, width(), height());
    painter.fillRect(box, QColor(ViewPalette::kBackground));
    const bool lineLeft = side_ == Side::Left;
    const qreal lineX = lineLeft ? 0.5 : width() - 0.5;
    const qreal baseX = lineLeft ? width() : 0.0;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(highlighted_ ? ViewPalette::kHandleHot : ViewPalette::kBrushLight));
    const QPolygonF triangle{QPointF(baseX, 0), QPointF(baseX, height()),
                             QPointF(lineX, height() / 2.0)};
    painter.drawPolygon(triangle);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(ViewPalette::kHandleLine), 1));
    const int x = lineLeft ? 0 : width() - 1;
    painter.drawLine(x, 0, x, height() - 1);
}
