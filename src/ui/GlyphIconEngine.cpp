#include "ui/GlyphIconEngine.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <cmath>

QIcon GlyphIconEngine::IconOf(Glyph glyph) {
    return QIcon(new GlyphIconEngine(std::move(glyph)));
}

QPen GlyphIconEngine::Stroke(const QColor& color, double width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPainterPath GlyphIconEngine::SinePath(double x0, double x1, double y, double a, double periods) {
    QPainterPath path;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const QPointF point(x0 + t * (x1 - x0), y - a * std::sin(t * periods * 2 * M_PI));
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

GlyphInk GlyphIconEngine::InkOf(QIcon::Mode mode) {
    const QPalette palette = QApplication::palette();
    const bool dark = palette.color(QPalette::Window).lightnessF() < 0.5;
    GlyphInk ink;
    ink.line = palette.color(QPalette::WindowText);
    ink.signal = dark ? QColor(0x4f, 0xc3, 0xf7) : QColor(0x00, 0x6f, 0xc2);
    ink.paper = dark ? QColor(0x3a, 0x40, 0x48) : QColor(0xff, 0xff, 0xff);
    ink.body = dark ? QColor(0x8a, 0xa4, 0xbf) : QColor(0x5b, 0x76, 0x93);
    ink.soft = dark ? QColor(0x2e, 0x5a, 0x7c) : QColor(0xcf, 0xe6, 0xf7);
    if (mode == QIcon::Selected) {
        ink.line = palette.color(QPalette::HighlightedText);
    }
    return ink;
}

void GlyphIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / 24.0, rect.height() / 24.0);
    if (mode == QIcon::Disabled) {
        painter->setOpacity(0.35);
    }
    glyph_(*painter, InkOf(mode));
    painter->restore();
}

QPixmap GlyphIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
}
