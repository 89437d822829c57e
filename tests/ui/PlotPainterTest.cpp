#include "ui/PlotPainter.h"
#include "ui/ViewPalette.h"
#include "view/AxisLabels.h"
#include "view/ViewGeometry.h"

#include <QImage>
#include <QPainter>
#include <QTest>

// The frame around the plot leaves the plot's own edge rows and columns free, where a
// waveform at full scale is drawn in the frame's colour.
class PlotPainterTest : public QObject {
    Q_OBJECT
private slots:
    void FrameLeavesThePlotEdgesToTheWaveform();
};

void PlotPainterTest::FrameLeavesThePlotEdgesToTheWaveform() {
    const PixelRect plot{60, 40, 460, 340};
    ViewGeometry geometry;
    geometry.SetEncoding(CodeEncoding::Standard, 16384);
    geometry.SetRanges(0, 1023, -8192, 8191);
    geometry.ComputeMappings(plot);
    QImage image(520, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PlotPainter::PaintAxes(painter, geometry,
                               AxisLabels::Compute(geometry, AxisStyle::Standard),
                               PlotPainter::LabelFont(12), image.rect());
    }
    const QRgb frame = ViewPalette::kAxis;
    const int x = (plot.left + geometry.XToPixel(255)) / 2; // between two grid lines
    const int y = (plot.top + geometry.YToPixel(4095)) / 2;
    QCOMPARE(image.pixel(x, plot.top), QColor(Qt::white).rgb());
    QCOMPARE(image.pixel(x, plot.bottom), QColor(Qt::white).rgb());
    QCOMPARE(image.pixel(plot.right, y), QColor(Qt::white).rgb());
    QCOMPARE(image.pixel(x, plot.top - 2), frame);
    QCOMPARE(image.pixel(x, plot.bottom + 2), frame);
    QCOMPARE(image.pixel(plot.right + 2, y), frame);
}

QTEST_MAIN(PlotPainterTest)
#include "PlotPainterTest.moc"
