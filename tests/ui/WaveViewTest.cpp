#include "support/TempWorkspace.h"

#include "document/WaveDoc.h"
#include "synthesis/EditCommands.h"
#include "ui/AnchorEditor.h"
#include "ui/AnchorHandle.h"
#include "ui/ViewPalette.h"
#include "ui/ViewPrinter.h"
#include "ui/WaveView.h"
#include "ui/WaveformMap.h"
#include "ui/support/WidgetInput.h"

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>

namespace {

// A document of the QW2182 family (codes -8192..8191, 1024 points) shown in an 800 x 600
// view: under one pixel per sample, so that two anchors can share a pixel. `setup` runs
// before the view loads the active segment.
struct ViewRig {
    explicit ViewRig(OperatingMode mode = OperatingMode::Standard,
                     const std::function<void(TempWorkspace&)>& setup = {})
        : workspace("QW2182", mode) {
        if (setup) {
            setup(workspace);
        }
        view.resize(800, 600);
        view.show();
        workspace.OpenActiveSegment(document);
        view.InitialUpdate();
    }

    const ViewGeometry& Geometry() const { return view.ViewState().Geometry(); }
    double Sample(long long i) { return document.Samples().At(static_cast<std::size_t>(i)); }
    long long IndexAt(int x) const {
        return static_cast<long long>(std::trunc(Geometry().PixelToX(x)));
    }
    double CodeAt(int y) const { return std::trunc(Geometry().PixelToCode(y)); }
    int Pixel(long long position) const {
        return Geometry().XToPixel(static_cast<double>(position));
    }
    long long Anchor(int index) const {
        return static_cast<long long>(index == 0 ? view.LeftAnchor() : view.RightAnchor());
    }
    QPoint HandleCentre(int index) const {
        const int x = Pixel(Anchor(index));
        const QRect handle = view.Handle(index)->geometry();
        return QPoint(index == 0 ? x + 3 : x - 3, handle.center().y());
    }
    void DragAnchor(int index, int toX) {
        const QPoint from = HandleCentre(index);
        QTest::mousePress(&view, Qt::LeftButton, {}, from);
        QTest::mouseMove(&view, QPoint((from.x() + toX) / 2, from.y()));
        QTest::mouseMove(&view, QPoint(toX, from.y()));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(toX, from.y()));
    }
    void Mark(long long left, long long right) {
        view.SetAnchorFromEditor(0, left);
        view.SetAnchorFromEditor(1, right);
    }
    // Puts the anchors `gap` pixels apart near the middle of the plot.
    bool PlaceAnchorsApart(int gap) {
        for (long long left = 300; left < 400; ++left) {
            for (long long right = left + 1; right < left + 200; ++right) {
                if (Pixel(right) - Pixel(left) == gap) {
                    Mark(left, right);
                    return true;
                }
            }
        }
        return false;
    }
    // The anchor whose editor a right click at the middle of the handle opens.
    long long PickedBy(int index) {
        const QPoint centre = view.Handle(index)->geometry().center();
        QTest::mouseClick(&view, Qt::RightButton, {}, centre);
        const long long picked = view.Editor()->text().toLongLong();
        view.Editor()->Close();
        return picked;
    }

    // Writes code(i) into every point and commits the waveform.
    void Fill(const std::function<double(std::size_t)>& code) {
        const SampleEdit samples = document.EditAllPoints();
        for (std::size_t i = 0; i < samples.Size(); ++i) {
            samples.Store(i, code(i));
        }
        document.CommitToWorkingFile();
    }

    TempWorkspace workspace;
    WaveDoc document{workspace.services, workspace.Mode()};
    WaveView view{document};
};

// The plotted columns as comparable values.
std::vector<std::array<int, 4>> Plotted(const std::vector<PlotColumn>& columns) {
    std::vector<std::array<int, 4>> plotted;
    for (const PlotColumn& column : columns) {
        plotted.push_back({column.x, column.y, column.top, column.bottom});
    }
    return plotted;
}

// The view's background without alpha, and the same under the anchors' shading.
constexpr QRgb kBackgroundRgb = ViewPalette::kBackground & 0xFFFFFF;
constexpr QRgb kShadedRgb = kBackgroundRgb ^ (ViewPalette::kShadeXor & 0xFFFFFF);

} // namespace

class WaveViewTest : public QObject {
    Q_OBJECT

private slots:
    // Two clicks draw the line between them; the right click that ends drawing commits it in
    // one undoable change and asks for no menu; the next one does.
    void AutolineDrawsBetweenClicksAndARightClickEndsItInOneUndoableChange() {
        ViewRig rig;
        QSignalSpy committed(&rig.view, &WaveView::WaveformCommitted);
        QSignalSpy menu(&rig.view, &WaveView::ContextMenuRequested);
        QVERIFY(rig.view.OnCommand(EditCommands::kAutoline));
        QVERIFY(rig.document.Undo().CanUndo());
        const PixelRect& plot = rig.Geometry().Plot();
        const QPoint first(plot.left + 100, plot.top + 100);
        const QPoint second(plot.left + 400, plot.top + 350);
        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, first);
        QCOMPARE(rig.Sample(rig.IndexAt(first.x())), 0.0); // one click draws nothing yet
        Hover(&rig.view, second);
        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, second);
        QVERIFY(rig.CodeAt(first.y()) > 3000 && rig.CodeAt(second.y()) < 0);
        QCOMPARE(rig.Sample(rig.IndexAt(first.x())), rig.CodeAt(first.y()));
        QVERIFY(std::abs(rig.Sample(rig.IndexAt(second.x())) - rig.CodeAt(second.y())) <= 1.0);
        QTest::mouseClick(&rig.view, Qt::RightButton, {}, QPoint(plot.left + 500, plot.top + 200));
        QCOMPARE(rig.view.Mode(), DrawMode::None);
        QCOMPARE(committed.count(), 1);
        const std::string file = TempWorkspace::ReadFile(rig.document.ActiveWorkingFile());
        QCOMPARE(file.size(), rig.document.Samples().ByteSize());
        QVERIFY(std::memcmp(file.data(), rig.document.Samples().Bytes(), file.size()) == 0);
        // The undo file holds the waveform from before the drawing mode.
        const std::string undo = TempWorkspace::ReadFile(rig.document.Undo().Path());
        QCOMPARE(undo, std::string(2048, '\0'));
        QCOMPARE(menu.count(), 0);
        QTest::mouseClick(&rig.view, Qt::RightButton, {}, QPoint(plot.left + 300, plot.top + 50));
        QCOMPARE(menu.count(), 1);
        QVERIFY(!rig.view.Editor()->isVisible());
    }

    void SketchStrokeFollowsTheMouseAndStaysInsideThePlot() {
        ViewRig rig;
        rig.view.OnCommand(EditCommands::kSketch);
        const PixelRect& plot = rig.Geometry().Plot();
        const QPoint start(plot.left + 100, plot.top + 100);
        const QPoint bend(plot.left + 300, plot.bottom - 100);
        QTest::mousePress(&rig.view, Qt::LeftButton, {}, start);
        QTest::mouseMove(&rig.view, bend);
        // Far outside the plot: the stroke ends on the plot's right edge.
        QTest::mouseMove(&rig.view, QPoint(plot.right + 200, plot.top + 100));
        QTest::mouseRelease(&rig.view, Qt::LeftButton, {},
                            QPoint(plot.right + 200, plot.top + 100));
        QVERIFY(std::abs(rig.Sample(rig.IndexAt(start.x())) - rig.CodeAt(start.y())) <= 1.0);
        QVERIFY(std::abs(rig.Sample(rig.IndexAt(bend.x())) - rig.CodeAt(bend.y())) <= 1.0);
        QVERIFY(std::abs(rig.Sample(1023) - rig.CodeAt(plot.top + 100)) <= 1.0);
        QCOMPARE(rig.Sample(rig.IndexAt(start.x()) - 1), 0.0);
        QCOMPARE(rig.view.Mode(), DrawMode::Sketch);
    }

    // The stop itself is the drag rule's (AnchorDrag in the view tests); here the view honours it.
    void AnchorDragMovesTheAnchorUntilFifteenPixelsBeforeTheOtherHandle() {
        ViewRig rig;
        const PixelRect& plot = rig.Geometry().Plot();
        const int target = plot.left + 250;
        rig.DragAnchor(0, target);
        const long long expected = rig.IndexAt(target);
        QCOMPARE(rig.Anchor(0), expected);
        QCOMPARE(rig.view.RightAnchor(), 1023.0);
        QCOMPARE(QString::fromStdString(rig.workspace.Context("SmWav_Par", "Prv_bgn")),
                 QString::number(expected));
        QCOMPARE(QString::fromStdString(rig.workspace.Context("SmWav_Par", "Prv_end")),
                 QString("1023"));
        QVERIFY(!rig.view.Editor()->isVisible());
        QCOMPARE(rig.view.Handle(0)->geometry().left(), rig.Pixel(expected));

        // The right handle follows half way, then stops short of the left one.
        const int halfWay = (rig.HandleCentre(1).x() + target + 5) / 2;
        rig.DragAnchor(1, target + 5);
        QCOMPARE(rig.Anchor(1), rig.IndexAt(halfWay));
        QCOMPARE(rig.Anchor(0), expected);
    }

    void CloseAnchorsKeepBothHandlesWholeAndPickable_data() {
        QTest::addColumn<int>("gap");
        // Same pixel, adjacent, overlapping in various depths, just apart, far apart.
        for (int gap : {0, 1, 5, 10, 19, 20, 21, 60}) {
            QTest::addRow("%d px", gap) << gap;
        }
    }

    void CloseAnchorsKeepBothHandlesWholeAndPickable() {
        QFETCH(int, gap);
        ViewRig rig;
        QVERIFY(rig.PlaceAnchorsApart(gap));
        const QRect handles[2] = {rig.view.Handle(0)->geometry(), rig.view.Handle(1)->geometry()};
        QVERIFY(rig.view.Handle(0)->isVisible() && rig.view.Handle(1)->isVisible());
        // At most the shared anchor line's column is covered twice.
        QVERIFY(handles[0].intersected(handles[1]).width() <= 1);
        for (int index = 0; index < 2; ++index) {
            const AnchorHandle* handle = rig.view.Handle(index);
            // The handle's line is drawn on the anchor's column.
            const int lineX = handle->LineSide() == AnchorHandle::Side::Left
                                  ? handles[index].left()
                                  : handles[index].right();
            QCOMPARE(lineX, rig.Pixel(rig.Anchor(index)));
            QCOMPARE(rig.PickedBy(index), rig.Anchor(index));
        }
    }

    void AnchorEditorMarksBadTextAndOnlyEnterMovesTheAnchor() {
        ViewRig rig;
        QSignalSpy anchors(&rig.view, &WaveView::AnchorsChanged);
        QTest::mouseClick(&rig.view, Qt::RightButton, {}, rig.HandleCentre(1));
        AnchorEditor* editor = rig.view.Editor();
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->text(), QString("1023"));
        TypeAndEnter(editor, "12a");
        QCOMPARE(editor->text(), QString("Bad:12a"));
        QCoreApplication::processEvents(); // the mark stays until its timer, not for a pass of
                                           // events
        QCOMPARE(editor->text(), QString("Bad:12a"));
        QTRY_COMPARE_WITH_TIMEOUT(editor->text(), QString("12a"),
                                  4 * AnchorEditor::kBadTextMilliseconds);
        QVERIFY(editor->isVisible());
        // Escape drops what was typed.
        Type(editor, "300");
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QCOMPARE(rig.view.RightAnchor(), 1023.0);
        QCOMPARE(anchors.count(), 0);

        QTest::mouseClick(&rig.view, Qt::RightButton, {}, rig.HandleCentre(1));
        TypeAndEnter(editor, "0"); // onto the left anchor
        QCOMPARE(editor->text(), QString("Bad:0"));
        QTRY_COMPARE_WITH_TIMEOUT(editor->text(), QString("0"),
                                  4 * AnchorEditor::kBadTextMilliseconds);
        TypeAndEnter(editor, "250");
        QVERIFY(!editor->isVisible());
        QCOMPARE(rig.view.RightAnchor(), 250.0);
        QCOMPARE(anchors.last().at(1).toLongLong(), 250LL);
    }

    void EnablingFollowsAnchorsRangeAndDrawingMode() {
        ViewRig rig;
        QVERIFY(!rig.view.IsCommandEnabled(EditCommands::kZoomIn));
        rig.view.SetAnchorFromEditor(0, 100);
        QVERIFY(rig.view.IsCommandEnabled(EditCommands::kZoomIn));
        QSignalSpy state(&rig.view, &WaveView::CommandStateChanged);
        QVERIFY(rig.view.OnCommand(EditCommands::kSketch));
        QVERIFY(state.count() > 0);
        QVERIFY(rig.view.IsCommandChecked(EditCommands::kSketch));
        QVERIFY(!rig.view.OnCommand(EditCommands::kInvert));
        QCOMPARE(rig.view.LeftAnchor(), 0.0); // Sketch started with Unmark
    }

    void ZoomInShowsTheMarkedRangeAndTheMapOffTheTrace() {
        ViewRig rig;
        // Along the plot's top, where the map once opened.
        rig.Fill([](std::size_t) { return 8000; });
        rig.Mark(200, 500);
        QVERIFY(rig.view.OnCommand(EditCommands::kZoomIn));
        QCOMPARE(rig.view.ViewState().VisibleMin(), 200.0);
        QCOMPARE(rig.view.ViewState().VisibleMax(), 500.0);
        QVERIFY(rig.view.Map()->isVisible());
        const PixelRect& plot = rig.Geometry().Plot();
        QCOMPARE(rig.Geometry().XToPixel(200), plot.left);
        const QPoint traceStart =
            rig.view.mapToGlobal(QPoint(plot.left, rig.Geometry().CodeToPixel(8000)));
        QVERIFY(
            !rig.view.Map()->frameGeometry().intersects(QRect(traceStart, QSize(plot.Width(), 1))));
        QVERIFY(rig.view.OnCommand(EditCommands::kZoomOut));
        QCOMPARE(rig.view.ViewState().VisibleMin(), 0.0);
        QCOMPARE(rig.view.ViewState().VisibleMax(), 1023.0);
        QVERIFY(!rig.view.Map()->isVisible());
        QCOMPARE(rig.view.LeftAnchor(), 200.0);
        QCOMPARE(rig.view.RightAnchor(), 500.0);
    }

    // The ranges a mark selects, at least three map pixels wide, are MapGeometry's rule
    // (WaveformMapGeometry in the view tests); here a drag and a click reach it.
    void MapDragSelectsTheRangeUnderTheMarkAndAClickCentres() {
        struct Case {
            long long left, right;
            bool click; // off the mark, else a drag of the mark
            int pixels; // the click's pixel, or the drag's travel
            double first, width;
        };
        const Case cases[] = {
            {0, 255, false, 40, 200, 255}, {500, 502, true, 20, 99, 2}, // centred on point 99.8
        };
        for (const Case& c : cases) {
            ViewRig rig;
            rig.Mark(c.left, c.right);
            rig.view.OnCommand(EditCommands::kZoomIn);
            WaveformMap* map = rig.view.Map();
            map->resize(205, 100); // about 5 points per pixel
            QApplication::processEvents();
            const PixelRect mark = map->MarkRect();
            const QPoint press =
                c.click ? QPoint(c.pixels, 50) : QPoint((mark.left + mark.right) / 2, 50);
            const QPoint release = press + QPoint(c.click ? 0 : c.pixels, 0);
            QTest::mousePress(map, Qt::LeftButton, {}, press);
            QTest::mouseMove(map, release);
            QTest::mouseRelease(map, Qt::LeftButton, {}, release);
            const double first = rig.view.ViewState().VisibleMin();
            const double width = rig.view.ViewState().VisibleMax() - first;
            QVERIFY2(std::abs(first - c.first) <= 5.0, qPrintable(QString::number(first)));
            QVERIFY2(std::abs(width - c.width) <= 5.0, qPrintable(QString::number(width)));
            QCOMPARE(rig.view.LeftAnchor(), rig.view.ViewState().VisibleMin());
            QCOMPARE(rig.view.RightAnchor(), rig.view.ViewState().VisibleMax());
        }
    }

    void ShadingIsXoredOutsideTheAnchorsOnly() {
        ViewRig rig;
        rig.Mark(300, 700);
        const QImage image = rig.view.grab().toImage();
        const PixelRect& plot = rig.Geometry().Plot();
        // A row away from the grid lines and the waveform on the middle line.
        const int y = plot.top + (plot.bottom - plot.top) / 8;
        const int outside = (plot.left + rig.Geometry().XToPixel(300)) / 2 + 3;
        const int inside = rig.Geometry().XToPixel(420);
        const qreal ratio = image.devicePixelRatio();
        auto rgbAt = [&](int x) {
            return image.pixel(static_cast<int>(x * ratio), static_cast<int>(y * ratio)) & 0xFFFFFF;
        };
        QCOMPARE(rgbAt(inside), kBackgroundRgb);
        QCOMPARE(rgbAt(outside), kShadedRgb);
        QCOMPARE(rgbAt(rig.Geometry().XToPixel(800)), kShadedRgb);
    }

    // What a trim keeps, and its question, are the document's (DocumentTrims); the view shows
    // the new length and range.
    void TrimRunsFromItsCommand() {
        ViewRig rig;
        rig.Mark(100, 400);
        QSignalSpy length(&rig.view, &WaveView::LengthTextRequested);
        QVERIFY(rig.view.OnCommand(EditCommands::kTrimRight));
        // 401 points, corrected to the resolution of 4 (message 3001 answered OK).
        QCOMPARE(rig.workspace.ui.MessageIds(), std::vector<int>{3001});
        QCOMPARE(length.last().at(0).toString(), QString("400"));
        QCOMPARE(rig.view.RightAnchor(), 399.0);
        QCOMPARE(rig.view.ViewState().VisibleMax(), 399.0);
    }

    void EditsBetweenAnchorsRedrawTheChangedSamples_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("filter") << static_cast<int>(EditCommands::kFilter);
        QTest::newRow("smooth") << static_cast<int>(EditCommands::kSmooth);
        QTest::newRow("invert") << static_cast<int>(EditCommands::kInvert);
    }

    // Over a hundred points per pixel column: the plot reads the waveform's summary, which
    // an edit between the anchors must bring up to date.
    void EditsBetweenAnchorsRedrawTheChangedSamples() {
        QFETCH(int, command);
        ViewRig rig;
        rig.document.SetLength("131072");
        rig.Fill([](std::size_t i) { return static_cast<double>(i * 37 % 2000); });
        rig.view.UpdateAllViews();
        rig.Mark(30000, 90001);
        const auto before = Plotted(rig.view.Columns(rig.Geometry()));
        QVERIFY(rig.view.OnCommand(command));
        const auto after = Plotted(rig.view.Columns(rig.Geometry()));
        WaveformEnvelope fresh;
        fresh.Rebuild(rig.document.Samples());
        QVERIFY(after != before);
        QVERIFY(after == Plotted(fresh.Columns(rig.document.Samples(), rig.Geometry())));
    }

    void FmViewDrawsFmCodesAndMarksTheFmWaveModified() {
        ViewRig rig(OperatingMode::Fm);
        const PixelRect& plot = rig.Geometry().Plot();
        // The drawing writes FM codes: the top edge is 1000000000.
        rig.view.OnCommand(EditCommands::kAutoline);
        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, QPoint(plot.left + 10, plot.top));
        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, QPoint(plot.left + 200, plot.top));
        QVERIFY(std::abs(rig.Sample(rig.IndexAt(plot.left + 100)) - 1e9) <= 1.0);
        QTest::mouseClick(&rig.view, Qt::RightButton, {}, QPoint(plot.left + 300, plot.top + 50));
        QCOMPARE(QString::fromStdString(rig.workspace.Context("Modif", "FmWave")), QString("Yes"));
    }

    void EmptyDocumentShowsItsAnchorsAtZero() {
        ViewRig rig(OperatingMode::Standard, [](TempWorkspace& workspace) {
            workspace.SetContext("SegmTbl", "Segm1-0", workspace.WriteFile("empty.wav", ""));
        });
        QCOMPARE(rig.document.Samples().Size(), std::size_t{0});
        QCOMPARE(rig.view.LeftAnchor(), 0.0);
        QCOMPARE(rig.view.RightAnchor(), 0.0);
        QVERIFY(!rig.view.IsCommandEnabled(EditCommands::kInvert));
        rig.view.grab(); // paints without a sample
    }

    // On paper: one landscape page with the axes labelled; the plot is a band twice as wide as
    // high, with the waveform and without the anchors' shading.
    void PrintedPageIsALandscapeBandWithWaveformAndWithoutShading() {
        ViewRig rig;
        // A sine of 1000 codes amplitude over the whole waveform, anchors inside it.
        rig.Fill([](std::size_t i) { return std::trunc(1000 * std::sin(i * 6.283185307 / 1024)); });
        rig.view.UpdateAllViews();
        rig.Mark(200, 600);
        QTemporaryDir folder;
        const QString path = folder.filePath("waveform.pdf");
        const auto paintPage = [&rig](QPainter& painter, const QSizeF& page, qreal resolution) {
            rig.view.PaintPage(painter, page, resolution);
        };
        QVERIFY(ViewPrinter(paintPage).PrintToPdf(path));
        const QByteArray pdf =
            QByteArray::fromStdString(TempWorkspace::ReadFile(path.toStdString()));
        QVERIFY(pdf.startsWith("%PDF"));
        // One page: "/Type /Page" but not "/Type /Pages".
        QCOMPARE(pdf.count("/Type /Page") - pdf.count("/Type /Pages"), qsizetype{1});
        QVERIFY(pdf.contains("/Font")); // the axis labels
        const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        const QRegularExpressionMatch match = box.match(QString::fromLatin1(pdf));
        QVERIFY(match.hasMatch());
        QVERIFY(match.captured(1).toDouble() > match.captured(2).toDouble());

        // The same page of 11 x 8.5 inches at 96 dots per inch.
        QImage paper(1056, 816, QImage::Format_RGB32);
        paper.fill(Qt::white);
        {
            QPainter painter(&paper);
            rig.view.PaintPage(painter, QSizeF(paper.size()), 96);
        }
        // The band: left = width / 10, bottom = (right - width / 10) / 2.
        QCOMPARE(paper.pixel(110, 5) & 0xFFFFFF, kBackgroundRgb);
        QCOMPARE(paper.pixel(50, 5) & 0xFFFFFF, 0xFFFFFFu);
        QCOMPARE(paper.pixel(600, 480) & 0xFFFFFF, 0xFFFFFFu);
        int waveform = 0;
        for (int y = 0; y < paper.height(); ++y) {
            for (int x = 0; x < paper.width(); ++x) {
                const QRgb rgb = paper.pixel(x, y) & 0xFFFFFF;
                QVERIFY2(rgb != kShadedRgb, "no anchor shading on paper");
                waveform += rgb == (ViewPalette::kAxis & 0xFFFFFF) ? 1 : 0;
            }
        }
        QVERIFY(waveform > 1000);
    }
};

QTEST_MAIN(WaveViewTest)
#include "WaveViewTest.moc"
