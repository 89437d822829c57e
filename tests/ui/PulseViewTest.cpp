#include "core/HostBus.h"
#include "core/StringTable.h"
#include "document/WaveDoc.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseSection.h"
#include "support/MappedGeometry.h"
#include "support/TempWorkspace.h"
#include "synthesis/EditCommands.h"
#include "ui/CommandIds.h"
#include "ui/PulseDesignPicture.h"
#include "ui/PulseDesignRenderer.h"
#include "ui/PulseDesignView.h"
#include "ui/PulseEditorWidget.h"
#include "ui/PulseItemTable.h"
#include "ui/PulseSectionPicker.h"
#include "ui/ViewPalette.h"
#include "ui/support/RunningFrame.h"

#include <QAction>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

PulseSection MakeSection(TrainStyle train, double start, double locDur, int repeat,
                         std::vector<PulseItem> items,
                         PulseTimeUnit timeUnit = PulseTimeUnit::Msec) {
    PulseSection section;
    section.train = train;
    section.timeUnit = timeUnit;
    section.start = start;
    section.locDur = locDur;
    section.repeat = repeat;
    section.items = std::move(items);
    return section;
}

// One section at a time in the shown unit msec.
PulseDesignPicture PictureOf(const PulseSection& section, int selectedLine = -1) {
    return PulseDesignPicture::From({section}, 0, PulseTimeUnit::Msec, section.End(), 2.0,
                                    selectedLine);
}

// Writes one section of channel 1 as the editor would have stored it.
void StoreSection(TempWorkspace& workspace, int k, int train, const char* start, const char* locDur,
                  const std::vector<std::pair<const char*, const char*>>& items,
                  const char* repeat = "1") {
    const std::string name = "Pulse" + std::to_string(k) + "-ch1";
    const std::string prefix = train == 0 ? "Link" : "Node";
    workspace.SetContext(name, "Train", std::to_string(train));
    workspace.SetContext(name, "tmUnitInd", "1");
    workspace.SetContext(name, "Start", start);
    workspace.SetContext(name, "LocDur", locDur);
    workspace.SetContext(name, "Repeat", repeat);
    workspace.SetContext(name, "qItm", std::to_string(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        workspace.SetContext(name, prefix + std::to_string(i) + "-sub1", items[i].first);
        workspace.SetContext(name, prefix + std::to_string(i) + "-sub2", items[i].second);
    }
}

// The three-section design of the screenshots: DC intervals (0 .. 1 ms, twice), points
// (2 .. 2.5 ms) and an empty section at 2.5 ms; Vpp 2, so the view spans -1 .. 1 V and
// 0 .. 2.5 ms.
void StoreThreeSections(TempWorkspace& workspace) {
    workspace.SetContext("PulseRoot-ch1", "qPls", "3");
    workspace.SetContext("PulseRoot-ch1", "activePls", "0");
    workspace.SetContext("PulseRoot-ch1", "Duration", "0.0025");
    workspace.SetContext("PulseRoot-ch1", "Vpp", "2");
    StoreSection(workspace, 0, 0, "0", "0.001", {{"0.0005", "0"}, {"0.0005", "0.8"}}, "2");
    StoreSection(workspace, 1, 1, "0.002", "0.0005", {{"0", "0"}, {"0.0005", "-0.7"}});
    StoreSection(workspace, 2, 1, "0.0025", "0", {});
}

// How many pixels of `area` pass `test`.
int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += test(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// The design as the renderer paints it on a screen image of `size`, without labels.
QImage Painted(const PulseDesignPicture& picture, const ViewGeometry& geometry, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    PulseDesignRenderer::Paint(painter, {image.rect(), QFont(), false}, geometry, picture,
                               PulseSectionPicker());
    painter.end();
    return image;
}

bool IsRed(QColor colour) {
    return colour.red() > 200 && colour.green() < 80 && colour.blue() < 80;
}

bool IsCurve(QColor colour) {
    return colour == QColor(ViewPalette::kAxis);
}

// Counts the opens and reads of one file, as the kernel reports them for its folder (a
// write replaces the file, so the file itself cannot be watched).
struct FileReadCounter {
    explicit FileReadCounter(const std::string& path) : file(path) {
        inotify_add_watch(fd, file.parent_path().c_str(), IN_OPEN | IN_ACCESS);
    }
    ~FileReadCounter() { close(fd); }

    // The opens and reads since the last call.
    int Take() {
        alignas(inotify_event) char buffer[8192];
        int count = 0;
        for (ssize_t n = 0; (n = read(fd, buffer, sizeof buffer)) > 0;) {
            for (const char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                count += event->len > 0 && file.filename() == event->name ? 1 : 0;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

    std::filesystem::path file;
    int fd = inotify_init1(IN_NONBLOCK);
};

// The view of a pulse-mode document, 800 x 600, with its editor window created.
struct PulseViewRig {
    PulseViewRig() {
        StoreThreeSections(workspace);
        view.resize(800, 600);
        view.show();
        view.InitialUpdate();
    }
    bool WaitForEditor() const {
        return QTest::qWaitFor([this] { return view.EditorWindow() != nullptr; });
    }
    QPoint LabelCentre(int k) const {
        return view.Labels().Labels()[static_cast<std::size_t>(k)].center();
    }

    TempWorkspace workspace{"QW2182", OperatingMode::Pulse};
    WaveDoc document{workspace.services, workspace.Mode()};
    PulseDesignView view{document, workspace.services};
};

} // namespace

class PulseViewTest : public QObject {
    Q_OBJECT

private slots:
    void CurvesFollowTheStoredItems_data() {
        QTest::addColumn<int>("train");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QStringList>("cells"); // time, level, time, level ...
        QTest::addColumn<QList<QPointF>>("points");
        // Equal levels of neighbouring steps give no visible riser.
        QTest::newRow("steps") << 0 << 0.0 << 1 << 1
                               << QStringList{"0.001", "0", "0.001", "1", "0.001", "1"}
                               << QList<QPointF>{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 1}, {3, 1}};
        QTest::newRow("an item without a level moves no step")
            << 0 << 0.0 << 1 << 1 << QStringList{"0.001", "", "0.001", "0.5"}
            << QList<QPointF>{{0, 0.5}, {1, 0.5}};
        QTest::newRow("nodes from the start")
            << 1 << 0.002 << 1 << 1 << QStringList{"0", "0", "0.001", "1"}
            << QList<QPointF>{{2, 0}, {3, 1}};
        QTest::newRow("three passes")
            << 1 << 0.0 << 3 << 1 << QStringList{"0", "0", "0.002", "1"}
            << QList<QPointF>{{0, 0}, {2, 1}, {2, 0}, {4, 1}, {4, 0}, {6, 1}};
        // A section kept in usec is drawn in the shown section's msec like the axis.
        QTest::newRow("own unit ignored")
            << 1 << 0.0 << 1 << 2 << QStringList{"0", "0", "0.001", "1"}
            << QList<QPointF>{{0, 0}, {1, 1}};
        QTest::newRow("pulse sequence")
            << 2 << 0.0 << 1 << 1 << QStringList{"T1", "3"} << QList<QPointF>{};
    }

    void CurvesFollowTheStoredItems() {
        QFETCH(int, train);
        QFETCH(double, start);
        QFETCH(int, repeat);
        QFETCH(int, unit);
        QFETCH(QStringList, cells);
        QFETCH(QList<QPointF>, points);
        std::vector<PulseItem> items;
        double last = 0.0;
        for (qsizetype i = 0; i + 1 < cells.size(); i += 2) {
            items.push_back({cells[i].toStdString(), cells[i + 1].toStdString()});
            last = train == 0 ? last + cells[i].toDouble() : cells[i].toDouble();
        }
        const PulseSection section = MakeSection(static_cast<TrainStyle>(train), start, last,
                                                 repeat, items, PulseTimeUnits::FromStored(unit));
        const PulseDesignPicture picture = PictureOf(section);
        const std::vector<PulsePoint>& curve = picture.sections.at(0).curve;
        QCOMPARE(curve.size(), static_cast<std::size_t>(points.size()));
        for (std::size_t i = 0; i < curve.size(); ++i) {
            QVERIFY2(
                qFuzzyCompare(1.0 + curve[i].time, 1.0 + points[qsizetype(i)].x()) &&
                    curve[i].level == points[qsizetype(i)].y(),
                qPrintable(
                    QString("point %1: %2, %3").arg(i).arg(curve[i].time).arg(curve[i].level)));
        }
    }

    void SelectedLineIsMarkedOnlyWhereItsItemWasDrawn() {
        const PulseSection steps =
            MakeSection(TrainStyle::DcIntervals, 0.0, 0.003, 1, {{"0.001", "0"}, {"0.002", "0.5"}});
        PulseDesignPicture picture = PictureOf(steps, 1);
        QCOMPARE(picture.mark, PulseLineMark::Step);
        QCOMPARE(picture.markFrom, (PulsePoint{1.0, 0.5}));
        QCOMPARE(picture.markTo, (PulsePoint{3.0, 0.5}));

        const PulseSection nodes =
            MakeSection(TrainStyle::TimeLevelPoints, 0.0, 0.002, 1, {{"0", "0"}, {"0.002", ""}});
        picture = PictureOf(nodes, 0);
        QCOMPARE(picture.mark, PulseLineMark::Node);
        QCOMPARE(picture.markFrom, (PulsePoint{0.0, 0.0}));
        QCOMPARE(PictureOf(nodes, 1).mark, PulseLineMark::None); // its level is missing
        // Only the active section carries the mark.
        QCOMPARE(
            PulseDesignPicture::From({nodes, steps}, 0, PulseTimeUnit::Msec, 0.005, 2.0, 1).mark,
            PulseLineMark::None);
    }

    void MillionRepeatsStopAtTheBudgetAndFillTheRestAsABand() {
        const PulseSection section = MakeSection(TrainStyle::TimeLevelPoints, 0.001, 0.000002,
                                                 1000000, {{"0", "-0.25"}, {"0.000002", "0.75"}});
        const PulseSectionPicture shown = PictureOf(section).sections.at(0);
        QVERIFY(shown.curve.size() <= PulseSectionPicture::kCurveBudget);
        QVERIFY(shown.hasBand);
        QCOMPARE(shown.band.from, shown.curve.back().time);
        QVERIFY(qFuzzyCompare(shown.band.to, 1.0 + 2000.0)); // Start + Repeat x LocDur, in msec
        QCOMPARE(shown.band.low, -0.25);
        QCOMPARE(shown.band.high, 0.75);
        QVERIFY(!PictureOf(MakeSection(TrainStyle::TimeLevelPoints, 0.0, 0.001, 3,
                                       {{"0", "0"}, {"0.001", "1"}}))
                     .sections.at(0)
                     .hasBand);
    }

    void LabelsOfSectionsAtOnePlaceStayApartAndPickable() {
        PulseDesignPicture picture;
        picture.duration = 4.0;
        for (const auto& [start, end] : {std::pair{0.0, 2.0}, {2.0, 2.0}, {2.0, 2.0}, {2.0, 4.0}}) {
            picture.sections.push_back({start, end, {}, false, {}, std::nullopt});
        }
        const ViewGeometry geometry = MappedGeometry({40, 30, 640, 430}, 0.0, 4.0, -1.0, 1.0);
        PulseSectionPicker picker;
        picker.Place(picture, geometry, QFontMetrics(QFont()));
        const std::vector<QRect>& labels = picker.Labels();
        QCOMPARE(labels.size(), std::size_t(4));
        for (std::size_t k = 0; k < labels.size(); ++k) {
            for (std::size_t j = 0; j < k; ++j) {
                QVERIFY2(!labels[k].intersects(labels[j]),
                         qPrintable(QString("%1 %2").arg(j).arg(k)));
            }
            QCOMPARE(picker.SectionAt(labels[k].center()), int(k));
        }
        QCOMPARE(picker.Borders()[1], geometry.XToPixel(2.0));
        QCOMPARE(picker.SectionAt(QPoint(200, 200)), -1);
    }

    void LabelsWithoutRoomAreLeftOutExceptTheActiveOne() {
        PulseDesignPicture picture;
        picture.duration = 1.0;
        picture.active = 7;
        picture.sections.resize(10); // all empty, all at 0
        const ViewGeometry geometry = MappedGeometry({40, 60, 640, 460}, 0.0, 1.0, -1.0, 1.0);
        PulseSectionPicker picker;
        picker.Place(picture, geometry, QFontMetrics(QFont()));
        const std::vector<QRect>& labels = picker.Labels();
        for (int k = 0; k < 10; ++k) {
            const bool shown = k < 4 || k == 7;
            QCOMPARE(labels[std::size_t(k)].isNull(), !shown);
            if (shown && k != 7) {
                QCOMPARE(picker.SectionAt(labels[std::size_t(k)].center()), k);
            }
        }
        QCOMPARE(labels[7].top(), labels[0].top()); // on the edge, over section 1's label
    }

    void SpikeNarrowerThanAPixelIsStillDrawn() {
        std::vector<PulseItem> items;
        for (int i = 0; i < 4000; ++i) {
            items.push_back({std::to_string(i * 1e-7), i == 2001 ? "0.9" : "0"});
        }
        const PulseSection section =
            MakeSection(TrainStyle::TimeLevelPoints, 0.0, 0.0004, 1, items);
        const PulseDesignPicture picture = PictureOf(section);
        // 4,000 nodes over 200 columns.
        const ViewGeometry geometry = MappedGeometry({20, 20, 220, 220}, 0.0, 0.4, -1.0, 1.0);
        const QImage image = Painted(picture, geometry, QSize(240, 240));
        const int x = geometry.XToPixel(0.2001);
        const int y = geometry.YToPixel(0.9);
        QVERIFY(CountPixels(image, QRect(x - 1, y + 1, 3, 1), IsCurve) > 0);
    }

    // +Vpp/2 for 2 ms, 0 for 2 ms (twice), then a second section at -Vpp/2: the top level
    // stands clear of the frame, and the section boundary at 8 ms is a riser.
    void FullScaleLevelsAndTheJumpBetweenSectionsAreSeen() {
        const PulseDesignPicture picture = PulseDesignPicture::From(
            {MakeSection(TrainStyle::DcIntervals, 0.0, 0.004, 2, {{"0.002", "1"}, {"0.002", "0"}}),
             MakeSection(TrainStyle::DcIntervals, 0.008, 0.002, 1, {{"0.002", "-1"}})},
            0, PulseTimeUnit::Msec, 0.01, 2.0, -1);
        const ViewGeometry geometry = MappedGeometry({40, 40, 440, 240}, 0.0, 10.0, -1.0, 1.0);
        const QImage image = Painted(picture, geometry, QSize(480, 280));
        // Rows 37 .. 40, three outside the plot down to its edge: background, then the curve.
        const int x = geometry.XToPixel(1.0);
        QCOMPARE(CountPixels(image, QRect(x, 37, 1, 2), IsCurve), 0);
        QCOMPARE(CountPixels(image, QRect(x, 39, 1, 2), IsCurve), 2);
        QVERIFY(IsCurve(image.pixelColor(geometry.XToPixel(8.0), geometry.YToPixel(-0.5))));
    }

    void ClickOnALabelShowsItsSectionInTheEditor() {
        PulseViewRig rig;
        QVERIFY(rig.WaitForEditor());
        PulseEditorWidget& editor = *rig.view.EditorWindow();
        QVERIFY(editor.windowTitle().startsWith("Section 1"));

        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, rig.LabelCentre(1));
        QCOMPARE(rig.workspace.Context("PulseRoot-ch1", "activePls"), std::string("1"));
        QVERIFY(editor.windowTitle().startsWith("Section 2"));
        QCOMPARE(editor.Table()->SelectedLine(), 0);
        QCOMPARE(rig.view.Picture().active, 1);
        QCOMPARE(rig.view.Picture().mark, PulseLineMark::Node);

        // The active label, and the space between labels, change nothing.
        editor.Table()->SelectLine(1);
        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, rig.LabelCentre(1));
        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, QPoint(400, 300));
        QCOMPARE(editor.Table()->SelectedLine(), 1);
        QCOMPARE(rig.workspace.Context("PulseRoot-ch1", "activePls"), std::string("1"));
        QCOMPARE(rig.view.Picture().markFrom.time, 2.5); // the second node of section 2

        QTest::mouseClick(&rig.view, Qt::LeftButton, {}, rig.LabelCentre(2));
        QCOMPARE(rig.workspace.Context("PulseRoot-ch1", "activePls"), std::string("2"));
        QVERIFY(rig.view.Picture().sections.at(2).Empty());
    }

    // On screen and on paper, where the curve of the first section at 0.8 V is drawn too.
    void ActiveLabelIsRedOnlyOnceTheEditorExistsAlsoOnThePrintedPage() {
        PulseViewRig rig;
        const auto red = [&rig](const QRect& area) {
            return CountPixels(rig.view.grab().toImage(), area, IsRed);
        };
        QCOMPARE(red(rig.view.rect()), 0);
        QVERIFY(rig.WaitForEditor());
        QVERIFY(red(rig.view.Labels().Labels()[0]) > 0);
        QCOMPARE(red(rig.view.Labels().Labels()[1]), 0);

        QVERIFY(rig.view.IsCommandEnabled(EditCommands::kPrint));
        QImage page(1100, 850, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        rig.view.PaintPage(painter, page.size(), 96.0);
        painter.end();
        QVERIFY(CountPixels(page, page.rect(), IsRed) > 0);
        QVERIFY(CountPixels(page, page.rect(), IsCurve) > 500);
    }

    void FrameHandsTheEditorCommandTheAmplitudeAndAHostReloadToTheDesign() {
        RunningFrame run("wavesmith PLS");
        PulseDesignView& pulse = *run.frame->PulseView();
        QAction* editorCommand = run.Action(CommandId::kPulseEditor);
        QVERIFY(QTest::qWaitFor([&pulse] { return pulse.EditorVisible(); }));
        run.frame->UpdateCommandStates();
        QVERIFY(!editorCommand->isEnabled());
        pulse.EditorWindow()->close();
        run.frame->UpdateCommandStates();
        QVERIFY(editorCommand->isEnabled());
        editorCommand->trigger();
        QVERIFY(pulse.EditorVisible());

        QVERIFY(!run.Field(ControlId::kLengthField)->isEnabled());
        QLineEdit* amplitude = run.Field(ControlId::kSecondField);
        QVERIFY(amplitude->isEnabled());
        TypeAndEnter(amplitude, "0.5");
        QCOMPARE(run.workspace.Context("PulseRoot-ch1", "Vpp"), std::string("0.5"));
        QCOMPARE(pulse.Geometry().Vmax(), 0.25);
        QCOMPARE(pulse.Geometry().Vmin(), -0.25);
        TypeAndEnter(amplitude, "9");
        QCOMPARE(run.workspace.ui.MessageIds().back(), int(MsgVppOutOfRange));
        QCOMPARE(amplitude->text(), QString("0.5")); // what a refusal keeps is the design's

        // The host switched the channel: its reload shows the other channel's design at once.
        run.workspace.SetContext("Settings", "ActiveCh", "1");
        run.workspace.bus.SendRequest(HostReload);
        QCOMPARE(pulse.Design().Channel(), 1);
    }

    void WheelZoomsAroundTheCursorWithinTheDesign() {
        PulseViewRig rig;
        QVERIFY(rig.WaitForEditor());
        const auto wheel = [&rig](double time, int steps) {
            const QPointF at(rig.view.Geometry().XToPixel(time), 300);
            QWheelEvent event(at, rig.view.mapToGlobal(at), QPoint(), QPoint(0, 120 * steps),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&rig.view, &event);
        };
        const ViewGeometry& geometry = rig.view.Geometry();
        wheel(2.25, 1);
        QVERIFY(qAbs(geometry.Xmax() - geometry.Xmin() - 1.25) < 1e-2);
        QVERIFY(geometry.Xmin() > 1.0 && geometry.Xmax() < 2.5);
        const std::vector<QRect>& labels = rig.view.Labels().Labels();
        QCOMPARE(labels[0].left(), geometry.Plot().left); // began before the visible time
        QVERIFY(!labels[1].isNull());
        QVERIFY(labels[2].isNull()); // starts after it
        wheel(2.0, -1);
        wheel(2.0, -1);
        QCOMPARE(geometry.Xmin(), 0.0);
        QCOMPARE(geometry.Xmax(), 2.5);
        wheel(1.0, 1);
        rig.view.Refresh(); // a change of the design shows all of it
        QCOMPARE(geometry.Xmax(), 2.5);
    }

    // The readout resolves one pixel: its value lies within a pixel of the time and level
    // that were pointed at, in the shown section's unit; off the plot it is empty.
    void StatusReadoutShowsTimeAndLevelUnderTheCursor() {
        PulseViewRig rig;
        QVERIFY(rig.WaitForEditor());
        QSignalSpy readout(&rig.view, &PulseDesignView::PositionChanged);
        const ViewGeometry& geometry = rig.view.Geometry();
        const auto moveTo = [&](QPoint at) {
            Hover(&rig.view, at);
            return readout.last().at(0).toString();
        };
        const QRegularExpression format(R"(^Time (-?[0-9.]+) (\w+)   Level (-?[0-9.]+) V$)");
        const auto check = [&](double time, double level, const QString& unit, double scale) {
            const QString text =
                moveTo(QPoint(geometry.XToPixel(time * scale), geometry.YToPixel(level)));
            const QRegularExpressionMatch match = format.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            QCOMPARE(match.captured(2), unit);
            const double timePixel = (geometry.Xmax() - geometry.Xmin()) / geometry.Plot().Width();
            const double levelPixel =
                (geometry.Vmax() - geometry.Vmin()) / geometry.Plot().Height();
            QVERIFY2(qAbs(match.captured(1).toDouble() - time * scale) <= timePixel,
                     qPrintable(text));
            QVERIFY2(qAbs(match.captured(3).toDouble() - level) <= levelPixel, qPrintable(text));
            QVERIFY2(match.captured(1).section('.', 1).size() <= 4, qPrintable(text));
        };
        check(1.0, 0.5, "msec", 1.0);
        check(2.4, -0.9, "msec", 1.0);
        QCOMPARE(moveTo(QPoint(2, 2)), QString());
        rig.view.Editor()->ChangeTimeUnit(PulseTimeUnit::Usec);
        rig.view.Refresh();
        check(1.0, 0.0, "usec", 1000.0);
    }

    // The host switches the channel and writes the context file: repaints read nothing, even
    // of the design they show; the design of the new channel is read once the view is told.
    void RepaintsReadNothingAndAnotherChannelIsReadWhenAnnounced() {
        PulseViewRig rig;
        QVERIFY(rig.WaitForEditor());
        FileReadCounter reads(rig.workspace.store.ContextFile());
        rig.workspace.SetContext("Settings", "ActiveCh", "1");
        rig.workspace.state.activeChannel = 1;
        reads.Take();
        for (int i = 0; i < 20; ++i) {
            rig.view.repaint();
        }
        QCOMPARE(reads.Take(), 0);
        QCOMPARE(rig.view.Design().Channel(), 0);
        rig.view.UpdateAllViews();
        QVERIFY(reads.Take() > 0);
        QCOMPARE(rig.view.Design().Channel(), 1);
    }
};

QTEST_MAIN(PulseViewTest)
#include "PulseViewTest.moc"
