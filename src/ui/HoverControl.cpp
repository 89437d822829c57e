#include "ui/HoverControl.h"

#include "ui/ViewPalette.h"

#include <QCursor>
#include <QPainter>

HoverControl::HoverControl(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    watch_.setInterval(kWatchMilliseconds);
    connect(&watch_, &QTimer::timeout, this, &HoverControl::Watch);
}

void HoverControl::mouseMoveEvent(QMouseEvent* event) {
    if (!hot_) {
        hot_ = true;
        update();
        watch_.start();
        emit HotChanged(true);
    }
    QWidget::mouseMoveEvent(event);
}

void HoverControl::Watch() {
    if (rect().contains(mapFromGlobal(QCursor::pos()))) {
        return;
    }
    hot_ = false;
    watch_.stop();
    update();
    emit HotChanged(false);
}

void HoverControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(hot_ ? ViewPalette::kBrushLight : ViewPalette::kBackground));
    if (hot_) {
        painter.setPen(QColor(ViewPalette::kBrushDark));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
