#include "ui/PlotPainter.h"

#include "ui/ViewPalette.h"
#include "view/ViewGeometry.h"

#include <QFontMetrics>
#include <QLine>
#include <QPaintDevice>
#include <QPainter>
#include <QPoint>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTickLength = 4;
constexpr int kLabelGap = 3;

void PaintUnitTag(QPainter& painter, const QString& text, const QPoint& corner, bool atRight,
                  const QFontMetrics& metrics) {
    const int pad = std::max(2, metrics.height() / 6);
    QRect tag(0, 0, metrics.horizontalAdvance(text) + 2 * pad, metrics.height());
    if (atRight) {
        tag.moveBottomRight(corner);
    } else {
        tag.moveTopLeft(corner);
    }
    painter.setPen(QPen(QColor(ViewPalette::kBrushDark), 1));
    painter.setBrush(QColor(ViewPalette::kBrushLight));
    painter.drawRect(tag);
    painter.setPen(QColor(ViewPalette::kAxis));
    painter.drawText(tag, Qt::AlignCenter, text);
}

} // namespace

QFont PlotPainter::LabelFont(double pixelHeight) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelHeight))));
    return font;
}

void PlotPainter::PaintBackground(QPainter& painter, const QRect& rect) {
    painter.fillRect(rect, QColor(ViewPalette::kBackground));
}

int PlotPainter::VerticalLabelRoom(const AxisLabels& labels, const QFontMetrics& metrics) {
    int widest = 0;
    for (const AxisLabel& label : labels.vertical) {
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(label.text)));
    }
    // A gap on either side of the text: none of it touches the edge of the view.
    return kLabelGap + widest + kLabelGap + kTickLength + kFrameOutset;
}

void PlotPainter::PaintAxes(QPainter& painter, const ViewGeometry& geometry,
                            const AxisLabels& labels, const QFont& font, const QRect& bounds,
                            int frameOutset) {
    const PixelRect& plot = geometry.Plot();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(ViewPalette::kGrid), 1));
    for (int k = 1; k < 4; ++k) {
        const int x = labels.horizontal[k].pixel;
        const int y = labels.vertical[k].pixel;
        painter.drawLine(x, plot.top, x, plot.bottom);
        painter.drawLine(plot.left, y, plot.right, y);
    }
    const int tickLeft = plot.left - frameOutset - kTickLength;
    const int tickBottom = plot.bottom + frameOutset + kTickLength;
    painter.setPen(QPen(QColor(ViewPalette::kAxis), 1));
    // A tick runs on through the gap to its grid line; at the plot's edges, where no grid
    // line follows, it stops at the frame instead of leaving a notch in its corner.
    const int frameLeft = plot.left - frameOutset;
    const int frameBottom = plot.bottom + frameOutset;
    for (int k = 0; k < 5; ++k) {
        const int x = labels.horizontal[k].pixel;
        const int y = labels.vertical[k].pixel;
        const bool xOnEdge = x <= plot.left || x >= plot.right;
        const bool yOnEdge = y <= plot.top || y >= plot.bottom;
        painter.drawLine(x, xOnEdge ? frameBottom : plot.bottom, x, tickBottom);
        painter.drawLine(tickLeft, y, yOnEdge ? frameLeft : plot.left, y);
    }
    painter.setPen(
        QPen(QColor(ViewPalette::kAxis), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(plot.left, plot.top), QPoint(plot.right, plot.bottom))
                         .adjusted(-frameOutset, -frameOutset, frameOutset, frameOutset));

    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int height = metrics.height();
    painter.setPen(QColor(ViewPalette::kAxis));
    for (const AxisLabel& label : labels.vertical) {
        // Right-aligned at the tick; a label wider than the margin ("-8192" on paper) runs
        // on to the left rather than being broken at its minus sign.
        const QRect box(0, label.pixel - height / 2, tickLeft - kLabelGap, height);
        painter.drawText(box,
                         Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                         QString::fromStdString(label.text));
    }
    std::array<int, 5> widths{};
    for (std::size_t k = 0; k < widths.size(); ++k) {
        widths[k] =
            metrics.horizontalAdvance(QString::fromStdString(labels.horizontal[k].text)) + 1;
    }
    // A figure and a half between neighbours reads as two numbers, not one long one.
    const int character = metrics.averageCharWidth();
    const std::array<AxisTextSpan, 5> spans =
        AxisLabels::PlaceAcross(labels.horizontal, widths, bounds.left(), bounds.right(),
                                std::max(2, character / 2), 3 * character / 2);
    for (std::size_t k = 0; k < spans.size(); ++k) {
        if (spans[k].shown) {
            const QRect box(spans[k].left, tickBottom + 1, spans[k].width, height);
            painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine,
                             QString::fromStdString(labels.horizontal[k].text));
        }
    }
    const int inset = 4;
    PaintUnitTag(painter, QString::fromStdString(labels.verticalUnit),
                 QPoint(plot.left + inset, plot.top + inset), false, metrics);
    PaintUnitTag(painter, QString::fromStdString(labels.horizontalUnit),
                 QPoint(plot.right - inset, plot.bottom - inset), true, metrics);
    painter.restore();
}

void PlotPainter::PaintWaveform(QPainter& painter, const std::vector<PlotColumn>& columns,
                                qreal penWidth) {
    if (columns.empty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor colour(ViewPalette::kAxis);
    // On screen a hairline of whole device pixels: the raster engine's fast path for
    // thousands of segments. On paper the width scales with the page.
    const bool screen = penWidth <= 1.0;
    QPen pen(colour,
             screen ? std::max(1.0, std::round(painter.device()->devicePixelRatioF())) : penWidth);
    pen.setCosmetic(screen);
    if (screen) {
        for (const PlotColumn& column : columns) {
            if (column.top != column.bottom) {
                painter.fillRect(column.x, column.top, 1, column.bottom - column.top + 1, colour);
            }
        }
    } else {
        QVarLengthArray<QLine, 4096> strokes;
        for (const PlotColumn& column : columns) {
            if (column.top != column.bottom) {
                strokes.append(QLine(column.x, column.top, column.x, column.bottom));
            }
        }
        painter.setPen(pen);
        painter.drawLines(strokes.constData(), static_cast<int>(strokes.size()));
    }
    QVarLengthArray<QPoint, 4096> vertices;
    vertices.reserve(static_cast<qsizetype>(columns.size()));
    for (const PlotColumn& column : columns) {
        vertices.append(QPoint(column.x, column.y));
    }
    painter.setPen(pen);
    if (vertices.size() == 1) {
        painter.drawPoint(vertices.front());
    } else {
        painter.drawPolyline(vertices.constData(), static_cast<int>(vertices.size()));
    }
    painter.restore();
}

void PlotPainter::PaintRuns(QImage& image, const std::vector<PixelRun>& runs, const QRect& clip,
                            QRgb colour) {
    if (image.depth() != 32 || runs.empty()) {
        QPainter painter(&image);
        for (const PixelRun& run : runs) {
            painter.fillRect(QRect(run.x, run.top, 1, run.bottom - run.top + 1).intersected(clip),
                             QColor(colour));
        }
        return;
    }
    const qreal ratio = image.devicePixelRatio();
    const QRect area = QRect(static_cast<int>(std::floor(clip.left() * ratio)),
                             static_cast<int>(std::floor(clip.top() * ratio)),
                             static_cast<int>(std::ceil(clip.width() * ratio)),
                             static_cast<int>(std::ceil(clip.height() * ratio)))
                           .intersected(image.rect());
    if (area.isEmpty()) {
        return;
    }
    const qsizetype stride = image.bytesPerLine() / 4;
    quint32* bits = reinterpret_cast<quint32*>(image.bits());
    for (const PixelRun& run : runs) {
        const int x0 = std::max(area.left(), static_cast<int>(std::floor(run.x * ratio)));
        const int x1 =
            std::min(area.right(), static_cast<int>(std::floor((run.x + 1) * ratio)) - 1);
        const int y0 = std::max(area.top(), static_cast<int>(std::floor(run.top * ratio)));
        const int y1 =
            std::min(area.bottom(), static_cast<int>(std::floor((run.bottom + 1) * ratio)) - 1);
        for (int x = x0; x <= x1; ++x) {
            quint32* pixel = bits + static_cast<qsizetype>(y0) * stride + x;
            for (int y = y0; y <= y1; ++y, pixel += stride) {
                *pixel = colour;
            }
        }
    }
}
