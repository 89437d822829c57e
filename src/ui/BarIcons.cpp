#include "ui/BarIcons.h"

#include "ui/CommandIds.h"
#include "ui/GlyphIconEngine.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

using Art = GlyphIconEngine;

void DrawPage(QPainter& p, const GlyphInk& ink) {
    QPainterPath page;
    page.moveTo(5, 2.5);
    page.lineTo(14.5, 2.5);
    page.lineTo(19.5, 7.5);
    page.lineTo(19.5, 21.5);
    page.lineTo(5, 21.5);
    page.closeSubpath();
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.paper);
    p.drawPath(page);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{14.5, 2.5}, {14.5, 7.5}, {19.5, 7.5}}));
}

void DrawNew(QPainter& p, const GlyphInk& ink) {
    DrawPage(p, ink);
    p.setPen(Art::Stroke(ink.signal, 1.8));
    p.drawPath(Art::SinePath(7.5, 17, 14.5, 3.5));
}

void DrawOpen(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.soft);
    p.drawPolygon(QPolygonF({{2.5, 5}, {9, 5}, {11, 7.5}, {19.5, 7.5}, {19.5, 19.5}, {2.5, 19.5}}));
    p.setBrush(ink.signal);
    p.drawPolygon(QPolygonF({{6, 11}, {22.5, 11}, {19.5, 19.5}, {2.5, 19.5}}));
}

void DrawDisk(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.signal);
    p.drawPolygon(QPolygonF({{3.5, 3.5}, {17.5, 3.5}, {20.5, 6.5}, {20.5, 20.5}, {3.5, 20.5}}));
    p.setBrush(ink.paper);
    p.drawRect(QRectF(7, 13, 10, 7.5));
    p.drawRect(QRectF(7.5, 3.5, 8, 5.5));
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawRect(QRectF(12.5, 4.8, 2, 3));
}

void DrawPencil(QPainter& p, const GlyphInk& ink, QPointF tip, double length, double degrees) {
    p.save();
    p.translate(tip);
    p.rotate(degrees);
    p.setPen(Art::Stroke(ink.line, 1.2));
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawPolygon(QPolygonF({{0, 0}, {4, -2}, {length, -2}, {length, 2}, {4, 2}}));
    p.setBrush(ink.line);
    p.drawPolygon(QPolygonF({{0, 0}, {1.6, -0.8}, {1.6, 0.8}}));
    p.restore();
}

void DrawSave(QPainter& p, const GlyphInk& ink) {
    DrawDisk(p, ink);
}

void DrawSaveAs(QPainter& p, const GlyphInk& ink) {
    p.save();
    p.scale(0.85, 0.85);
    DrawDisk(p, ink);
    p.restore();
    DrawPencil(p, ink, {12.5, 22}, 13, -45);
}

void DrawPrint(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.paper);
    p.drawRect(QRectF(7, 3, 10, 6));
    p.setBrush(ink.body);
    p.drawRoundedRect(QRectF(2.5, 9, 19, 8.5), 2, 2);
    p.setBrush(ink.paper);
    p.drawRect(QRectF(6.5, 14, 11, 7.5));
    p.setPen(Art::Stroke(ink.signal, 1.4));
    p.drawPath(Art::SinePath(8, 16, 17.8, 1.8));
}

void DrawAutoline(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.signal, 2));
    p.drawLine(QPointF(4.5, 18.5), QPointF(19.5, 5.5));
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.paper);
    p.drawEllipse(QPointF(4.5, 18.5), 2.5, 2.5);
    p.drawEllipse(QPointF(19.5, 5.5), 2.5, 2.5);
}

void DrawSketch(QPainter& p, const GlyphInk& ink) {
    QPainterPath squiggle;
    squiggle.moveTo(2.5, 15);
    squiggle.cubicTo(5, 6, 8, 6, 9, 12);
    squiggle.cubicTo(10, 18, 13, 19, 14, 13);
    p.setPen(Art::Stroke(ink.signal, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(squiggle);
    DrawPencil(p, ink, {14, 13}, 12, -50);
}

void DrawFilter(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.soft);
    p.drawPolygon(QPolygonF({{3, 4}, {21, 4}, {14, 12}, {14, 20.5}, {10, 18.5}, {10, 12}}));
    p.setPen(Art::Stroke(ink.signal, 1.6));
    p.drawPath(Art::SinePath(5.5, 18.5, 6.8, 1.2, 2));
}

void DrawSmooth(QPainter& p, const GlyphInk& ink) {
    QColor faint = ink.line;
    faint.setAlphaF(0.45);
    p.setPen(Art::Stroke(faint, 1.2));
    p.drawPolyline(QPolygonF({{2.5, 13},
                              {4.5, 6},
                              {6.5, 11},
                              {8.5, 4},
                              {10.5, 12},
                              {12.5, 9},
                              {14.5, 19},
                              {16.5, 14},
                              {18.5, 20},
                              {21.5, 13}}));
    p.setPen(Art::Stroke(ink.signal, 2.2));
    p.drawPath(Art::SinePath(2.5, 21.5, 12, 6));
}

void DrawInvert(QPainter& p, const GlyphInk& ink) {
    QColor faint = ink.line;
    faint.setAlphaF(0.45);
    QPen axis = Art::Stroke(faint, 1);
    axis.setDashPattern({2, 2});
    p.setPen(axis);
    p.drawLine(QPointF(2, 12), QPointF(22, 12));
    QPen before = Art::Stroke(faint, 1.4);
    before.setDashPattern({2, 1.5});
    p.setPen(before);
    p.drawPath(Art::SinePath(2.5, 21.5, 12, 7));
    p.setPen(Art::Stroke(ink.signal, 2));
    p.drawPath(Art::SinePath(2.5, 21.5, 12, -7));
}

void DrawBracket(QPainter& p, double x, double direction) {
    p.drawPolyline(QPolygonF({{x + 3 * direction, 4}, {x, 4}, {x, 20}, {x + 3 * direction, 20}}));
}

void DrawUnmark(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.signal, 2));
    DrawBracket(p, 4, 1);
    DrawBracket(p, 20, -1);
    p.setPen(Art::Stroke(QColor(0xd9, 0x3f, 0x3f), 2));
    p.drawLine(QPointF(9, 9), QPointF(15, 15));
    p.drawLine(QPointF(15, 9), QPointF(9, 15));
}

void DrawUndo(QPainter& p, const GlyphInk& ink) {
    QPainterPath arc;
    arc.moveTo(19, 19);
    arc.cubicTo(22, 11, 16, 5.5, 11, 6.5);
    arc.lineTo(6, 8);
    p.setPen(Art::Stroke(ink.signal, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(Art::Stroke(ink.signal, 1.2));
    p.setBrush(ink.signal);
    p.drawPolygon(QPolygonF({{3, 9}, {9, 3.5}, {10, 12}}));
}

void DrawMagnifier(QPainter& p, const GlyphInk& ink, bool plus) {
    p.setPen(Art::Stroke(ink.line, 3.2));
    p.drawLine(QPointF(15, 15), QPointF(20.5, 20.5));
    p.setPen(Art::Stroke(ink.line, 1.6));
    p.setBrush(ink.paper);
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.setPen(Art::Stroke(ink.signal, 2));
    p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (plus) {
        p.drawLine(QPointF(10, 7), QPointF(10, 13));
    }
}

void DrawZoomIn(QPainter& p, const GlyphInk& ink) {
    DrawMagnifier(p, ink, true);
}
void DrawZoomOut(QPainter& p, const GlyphInk& ink) {
    DrawMagnifier(p, ink, false);
}

// The anchor at `cut` keeps the waveform on one side and drops the other.
void DrawTrim(QPainter& p, const GlyphInk& ink, bool left) {
    const double cut = left ? 9 : 15;
    QColor faint = ink.line;
    faint.setAlphaF(0.35);
    QPen dropped = Art::Stroke(faint, 1.4);
    dropped.setDashPattern({1.5, 2});
    const QPainterPath wave = Art::SinePath(2, 22, 13, 6, 1.25);
    p.save();
    p.setClipRect(left ? QRectF(0, 0, cut, 24) : QRectF(cut, 0, 24 - cut, 24));
    p.setPen(dropped);
    p.drawPath(wave);
    p.restore();
    p.save();
    p.setClipRect(left ? QRectF(cut, 0, 24 - cut, 24) : QRectF(0, 0, cut, 24));
    p.setPen(Art::Stroke(ink.signal, 2));
    p.drawPath(wave);
    p.restore();
    p.setPen(Art::Stroke(ink.line, 1.6));
    p.drawLine(QPointF(cut, 5), QPointF(cut, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    const double d = left ? -1 : 1;
    p.drawPolygon(QPolygonF({{cut, 2}, {cut, 7.5}, {cut + 4 * d, 4.75}}));
}

void DrawTrimLeft(QPainter& p, const GlyphInk& ink) {
    DrawTrim(p, ink, true);
}
void DrawTrimRight(QPainter& p, const GlyphInk& ink) {
    DrawTrim(p, ink, false);
}

void DrawDownload(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.body);
    p.drawRoundedRect(QRectF(2.5, 13.5, 19, 8), 1.8, 1.8);
    p.setBrush(ink.paper);
    p.drawRect(QRectF(5, 15.5, 8, 4));
    p.setPen(Art::Stroke(ink.signal, 1.2));
    p.drawPath(Art::SinePath(5.8, 12.2, 17.5, 1.3));
    p.setPen(Art::Stroke(ink.line, 1.2));
    p.setBrush(ink.paper);
    p.drawEllipse(QPointF(17.5, 17.5), 1.6, 1.6);
    p.setPen(Art::Stroke(ink.signal, 2.4));
    p.drawLine(QPointF(12, 2), QPointF(12, 9.5));
    p.setPen(Art::Stroke(ink.signal, 1));
    p.setBrush(ink.signal);
    p.drawPolygon(QPolygonF({{7.5, 7.5}, {16.5, 7.5}, {12, 12}}));
}

void DrawChannel(QPainter& p, const GlyphInk& ink, const QString& number) {
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.setBrush(ink.paper);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 6.8, 6.8);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(ink.signal);
    p.drawText(QRectF(4, 4, 16, 16), Qt::AlignCenter, number);
}

void DrawChannel1(QPainter& p, const GlyphInk& ink) {
    DrawChannel(p, ink, QStringLiteral("1"));
}
void DrawChannel2(QPainter& p, const GlyphInk& ink) {
    DrawChannel(p, ink, QStringLiteral("2"));
}

void DrawArrowHead(QPainter& p, QPointF tip, QPointF back, double half) {
    const QPointF along = tip - back;
    const double size = std::hypot(along.x(), along.y());
    const QPointF unit = along / size;
    const QPointF normal(-unit.y(), unit.x());
    p.drawPolygon(QPolygonF({tip, back + normal * half, back - normal * half}));
}

void DrawLengthPicture(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.6));
    p.drawLine(QPointF(3, 5), QPointF(3, 19));
    p.drawLine(QPointF(21, 5), QPointF(21, 19));
    p.setPen(Art::Stroke(ink.signal, 1.8));
    p.drawLine(QPointF(7, 12), QPointF(17, 12));
    p.setPen(Art::Stroke(ink.signal, 1));
    p.setBrush(ink.signal);
    DrawArrowHead(p, {4.5, 12}, {9, 12}, 3.5);
    DrawArrowHead(p, {19.5, 12}, {15, 12}, 3.5);
}

void DrawSegmentPicture(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.3));
    for (int i = 0; i < 4; ++i) {
        p.setBrush(i == 1 ? ink.signal : ink.soft);
        p.drawRect(QRectF(4, 3 + i * 4.75, 16, 3.6));
    }
}

void DrawDeviationPicture(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.signal, 1.8));
    QPainterPath chirp;
    chirp.moveTo(2, 12);
    for (int i = 1; i <= 80; ++i) {
        const double t = i / 80.0;
        chirp.lineTo(2 + 20 * t, 12 - 7 * std::sin(2 * M_PI * (1.0 * t + 2.0 * t * t)));
    }
    p.drawPath(chirp);
}

void DrawAmplitudePicture(QPainter& p, const GlyphInk& ink) {
    p.setPen(Art::Stroke(ink.line, 1.4));
    p.drawLine(QPointF(4, 3), QPointF(20, 3));
    p.drawLine(QPointF(4, 21), QPointF(20, 21));
    p.setPen(Art::Stroke(ink.signal, 1.8));
    p.drawLine(QPointF(12, 8), QPointF(12, 16));
    p.setPen(Art::Stroke(ink.signal, 1));
    p.setBrush(ink.signal);
    DrawArrowHead(p, {12, 4.5}, {12, 9}, 3.5);
    DrawArrowHead(p, {12, 19.5}, {12, 15}, 3.5);
}

void DrawApplication(QPainter& p, const GlyphInk&) {
    QLinearGradient fill(0, 0, 24, 24);
    fill.setColorAt(0, QColor(0x1e, 0x88, 0xe5));
    fill.setColorAt(1, QColor(0x0d, 0x47, 0xa1));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, 22, 22), 5, 5);
    QPen grid(QColor(255, 255, 255, 70), 0.8);
    p.setPen(grid);
    p.drawLine(QPointF(4, 12), QPointF(20, 12));
    p.setPen(Art::Stroke(Qt::white, 2.2));
    p.drawPath(Art::SinePath(4, 20, 12, 6));
}

} // namespace

QIcon BarIcons::ForCommand(int commandId) {
    switch (commandId) {
    case CommandId::kNew:
        return Art::IconOf(DrawNew);
    case CommandId::kOpen:
        return Art::IconOf(DrawOpen);
    case CommandId::kSave:
        return Art::IconOf(DrawSave);
    case CommandId::kSaveAs:
        return Art::IconOf(DrawSaveAs);
    case CommandId::kPrint:
        return Art::IconOf(DrawPrint);
    case CommandId::kAutoline:
        return Art::IconOf(DrawAutoline);
    case CommandId::kSketch:
        return Art::IconOf(DrawSketch);
    case CommandId::kFilter:
        return Art::IconOf(DrawFilter);
    case CommandId::kSmooth:
        return Art::IconOf(DrawSmooth);
    case CommandId::kInvert:
        return Art::IconOf(DrawInvert);
    case CommandId::kUnmark:
        return Art::IconOf(DrawUnmark);
    case CommandId::kUndo:
        return Art::IconOf(DrawUndo);
    case CommandId::kZoomIn:
        return Art::IconOf(DrawZoomIn);
    case CommandId::kZoomOut:
        return Art::IconOf(DrawZoomOut);
    case CommandId::kTrimLeft:
        return Art::IconOf(DrawTrimLeft);
    case CommandId::kTrimRight:
        return Art::IconOf(DrawTrimRight);
    case CommandId::kDownload:
        return Art::IconOf(DrawDownload);
    case CommandId::kChannel1:
        return Art::IconOf(DrawChannel1);
    case CommandId::kChannel2:
        return Art::IconOf(DrawChannel2);
    default:
        return {};
    }
}

QIcon BarIcons::ForPicture(Picture picture) {
    switch (picture) {
    case Picture::Length:
        return Art::IconOf(DrawLengthPicture);
    case Picture::Segment:
        return Art::IconOf(DrawSegmentPicture);
    case Picture::Deviation:
        return Art::IconOf(DrawDeviationPicture);
    case Picture::Amplitude:
        return Art::IconOf(DrawAmplitudePicture);
    }
    return {};
}

QIcon BarIcons::Application() {
    return Art::IconOf(DrawApplication);
}
