#include "ui/PlotPainter.h"
#include "support/MappedGeometry.h"
#include "ui/ViewPalette.h"
#include "view/AxisLabels.h"
#include "view/ViewGeometry.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>

namespace {

// The axes painted on white into an image `shift` pixels wider than `bounds` on either side,
// where what is drawn outside the bounds can be seen.
QImage PaintedAxes(const ViewGeometry& geometry, const AxisLabels& labels, const QFont& font,
                   const QRect& bounds, int shift = 0) {
    QImage image(bounds.right() + 1 + 2 * shift, bounds.bottom() + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(shift, 0);
    PlotPainter::PaintAxes(painter, geometry, labels, font, bounds);
    painter.end();
    return image;
}

} // namespace

class PlotPainterTest : public QObject {
    Q_OBJECT
private slots:
    // The frame around the plot leaves the plot's own edge rows and columns free, where a
    // waveform at full scale is drawn in the frame's colour.
    void FrameLeavesThePlotEdgesToTheWaveform() {
        const PixelRect plot{60, 40, 460, 340};
        const ViewGeometry geometry = MappedGeometry(plot, 0, 1023, -8192, 8191);
        const QImage image =
            PaintedAxes(geometry, AxisLabels::Compute(geometry, AxisStyle::Standard),
                        PlotPainter::LabelFont(12), QRect(0, 0, 520, 400));
        const QRgb frame = ViewPalette::kAxis;
        const int x = (plot.left + geometry.XToPixel(255)) / 2; // between two grid lines
        const int y = (plot.top + geometry.YToPixel(4095)) / 2;
        QCOMPARE(image.pixel(x, plot.top), QColor(Qt::white).rgb());
        QCOMPARE(image.pixel(x, plot.bottom), QColor(Qt::white).rgb());
        QCOMPARE(image.pixel(plot.right, y), QColor(Qt::white).rgb());
        QCOMPARE(image.pixel(x, plot.top - 2), frame);
        QCOMPARE(image.pixel(x, plot.bottom + 2), frame);
        QCOMPARE(image.pixel(plot.right + 2, y), frame);
        // The ticks at the plot's corners stop at the frame: no notch in the gap.
        QCOMPARE(image.pixel(plot.left - 1, plot.top), QColor(Qt::white).rgb());
        QCOMPARE(image.pixel(plot.left, plot.bottom + 1), QColor(Qt::white).rgb());
    }

    void LabelsAtTheAxisEndsStayInsideTheView() {
        // A zoomed 16 M-point waveform: the end labels are wider than the margins, and the
        // margin left of the plot is narrower than "-8192" (as on paper).
        const ViewGeometry geometry =
            MappedGeometry({50, 20, 385, 270}, 3843137, 12218181, -8192, 8191);
        const QRect bounds(20, 0, 380, 300);
        const AxisLabels labels = AxisLabels::Compute(geometry, AxisStyle::Standard);
        QCOMPARE(QString::fromStdString(labels.horizontal[4].text), QString("1.22182e7"));
        QCOMPARE(QString::fromStdString(labels.vertical[0].text), QString("-8192"));
        const QFont font = PlotPainter::LabelFont(14);
        const QFontMetrics metrics(font);
        const int shift = 40;
        const QImage image = PaintedAxes(geometry, labels, font, bounds, shift);
        const QRgb white = QColor(Qt::white).rgb();
        // Horizontal labels: nothing left or right of the view.
        for (int y = 270 + metrics.height() / 2 + 2; y < image.height(); ++y) {
            for (int x = 0; x < shift + bounds.left(); ++x) {
                QCOMPARE(image.pixel(x, y), white);
            }
            for (int x = shift + bounds.right() + 1; x < image.width(); ++x) {
                QCOMPARE(image.pixel(x, y), white);
            }
        }
        // The bottom vertical label keeps its minus sign, running on to the left.
        int leftmost = image.width();
        for (int y = 270 - metrics.height() / 2; y <= 270 + metrics.height() / 2; ++y) {
            for (int x = 0; x < shift + 50 - 4; ++x) {
                if (image.pixel(x, y) != white) {
                    leftmost = std::min(leftmost, x - shift);
                    break;
                }
            }
        }
        QVERIFY2(leftmost <= 50 - 7 - metrics.horizontalAdvance("-8192") + 2,
                 qPrintable(QString::number(leftmost)));
    }
};

QTEST_MAIN(PlotPainterTest)
#include "PlotPainterTest.moc"
