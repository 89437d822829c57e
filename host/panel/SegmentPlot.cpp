#include "panel/SegmentPlot.h"

#include <QPainter>
#include <QPalette>

namespace {

constexpr int kMargin = 6;
constexpr int kCaptionHeight = 18;

} // namespace

SegmentPlot::SegmentPlot(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(120);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(24, 28, 32));
    setPalette(colours);
}

void SegmentPlot::SetCodeRange(int lowest, int highest) {
    if (highest > lowest) {
        lowest_ = lowest;
        highest_ = highest;
        update();
    }
}

void SegmentPlot::ShowSamples(std::vector<std::int16_t> samples, const QString& caption) {
    samples_ = std::move(samples);
    caption_ = caption;
    envelope_ = SampleEnvelope::Build(samples_, PlotArea().width());
    update();
}

void SegmentPlot::Clear(const QString& caption) {
    ShowSamples({}, caption);
}

void SegmentPlot::resizeEvent(QResizeEvent*) {
    envelope_ = SampleEnvelope::Build(samples_, PlotArea().width());
}

QRect SegmentPlot::PlotArea() const {
    return rect().adjusted(kMargin, kMargin + kCaptionHeight, -kMargin, -kMargin);
}

int SegmentPlot::CodeToY(int code, const QRect& area) const {
    const double share = static_cast<double>(highest_ - code) / (highest_ - lowest_);
    return area.top() + static_cast<int>(share * (area.height() - 1));
}

void SegmentPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = PlotArea();
    painter.setPen(QColor(200, 205, 210));
    painter.drawText(rect().adjusted(kMargin, 2, -kMargin, 0), Qt::AlignLeft | Qt::AlignTop,
                     caption_);
    painter.setPen(QColor(70, 78, 86));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    for (int division = 1; division < 8; ++division) {
        const int y = area.top() + division * area.height() / 8;
        painter.drawLine(area.left(), y, area.right(), y);
    }
    painter.setPen(QColor(110, 120, 130));
    if (lowest_ < 0 && highest_ > 0) {
        const int zero = CodeToY(0, area);
        painter.drawLine(area.left(), zero, area.right(), zero);
    }
    if (envelope_.columns.empty()) {
        return;
    }
    painter.setPen(QColor(250, 200, 60));
    const int count = static_cast<int>(envelope_.columns.size());
    for (int i = 0; i < count; ++i) {
        const int x = area.left() + i * area.width() / count;
        const auto& column = envelope_.columns[i];
        painter.drawLine(x, CodeToY(column.high, area), x, CodeToY(column.low, area));
        if (i + 1 < count) {
            const auto& next = envelope_.columns[i + 1];
            const int nextX = area.left() + (i + 1) * area.width() / count;
            painter.drawLine(x, CodeToY(column.high, area), nextX, CodeToY(next.high, area));
        }
    }
}
