#include "support/TempWorkspace.h"

#include "document/WaveDoc.h"
#include "ui/ViewPalette.h"
#include "ui/ViewPrinter.h"
#include "ui/WaveView.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

// A sine of 1000 codes amplitude over the whole waveform, anchors inside it.
struct PrintRig {
    PrintRig() {
        view.resize(800, 600);
        workspace.OpenActiveSegment(document);
        view.InitialUpdate();
        const SampleEdit samples = document.EditAllPoints();
        for (std::size_t i = 0; i < samples.Size(); ++i) {
            samples.Store(i, std::trunc(1000 * std::sin(i * 6.283185307 / samples.Size())));
        }
        view.UpdateAllViews();
        view.SetAnchorFromEditor(0, 200);
        view.SetAnchorFromEditor(1, 600);
    }

    TempWorkspace workspace;
    WaveDoc document{workspace.services, workspace.Mode()};
    WaveView view{document};
};

int CountPages(const QByteArray& pdf) {
    // "/Type /Page" but not "/Type /Pages".
    return static_cast<int>(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
}

} // namespace

class PrintTest : public QObject {
    Q_OBJECT

private slots:
    void PdfHoldsOneLandscapePageWithLabelledPlot();
    void PageIsATwoToOneBandWithWaveformAndWithoutShading();
};

void PrintTest::PdfHoldsOneLandscapePageWithLabelledPlot() {
    PrintRig rig;
    QTemporaryDir folder;
    const QString path = folder.filePath("waveform.pdf");
    const auto paintPage = [&rig](QPainter& painter, const QSizeF& page, qreal resolution) {
        rig.view.PaintPage(painter, page, resolution);
    };
    QVERIFY(ViewPrinter(paintPage).PrintToPdf(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(CountPages(pdf), 1);
    QVERIFY(pdf.contains("/Font")); // the axis labels
    const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    const QRegularExpressionMatch match = box.match(QString::fromLatin1(pdf));
    QVERIFY(match.hasMatch());
    QVERIFY(match.captured(1).toDouble() > match.captured(2).toDouble());
}

void PrintTest::PageIsATwoToOneBandWithWaveformAndWithoutShading() {
    PrintRig rig;
    // A landscape page of 11 x 8.5 inches at 96 dots per inch.
    QImage page(1056, 816, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        rig.view.PaintPage(painter, QSizeF(page.size()), 96);
    }
    const QRgb background = ViewPalette::kBackground & 0xFFFFFF;
    const QRgb shaded = background ^ (ViewPalette::kShadeXor & 0xFFFFFF);
    // The band: left = width / 10, bottom = (right - width / 10) / 2.
    QCOMPARE(page.pixel(110, 5) & 0xFFFFFF, background);
    QCOMPARE(page.pixel(50, 5) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(page.pixel(600, 480) & 0xFFFFFF, 0xFFFFFFu);
    int waveform = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb rgb = page.pixel(x, y) & 0xFFFFFF;
            QVERIFY2(rgb != shaded, "no anchor shading on paper");
            waveform += rgb == (ViewPalette::kAxis & 0xFFFFFF) ? 1 : 0;
        }
    }
    QVERIFY(waveform > 1000);
}

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
