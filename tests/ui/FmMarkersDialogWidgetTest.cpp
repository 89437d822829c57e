#include "ui/FmMarkersDialogWidget.h"
#include "document/WaveDoc.h"
#include "fm/FmMarkersDialog.h"
#include "fm/FmSettings.h"
#include "support/TempWorkspace.h"
#include "ui/CommandIds.h"
#include "ui/FmMarkerDots.h"
#include "ui/WaveView.h"
#include "ui/support/RunningFrame.h"

#include <QAction>
#include <QApplication>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

// An FM workspace (window 990 MHz .. 1010 MHz) with three stored markers.
struct MarkersFixture {
    MarkersFixture() : fm(workspace.services, workspace.Mode()) {
        fm.LoadLimits();
        workspace.SetContext("FmMark0", "Mrk0", "995000000");
        workspace.SetContext("FmMark0", "Mrk1", "1000000000");
        workspace.SetContext("FmMark0", "Mrk2", "1005000000");
        form.Load();
    }

    TempWorkspace workspace{"QW2182", OperatingMode::Fm};
    FmSettings fm;
    FmMarkersDialog form{workspace.services, fm};
};

// The table's window on that workspace, shown.
struct MarkersWindow : MarkersFixture {
    MarkersWindow() { dialog.show(); }
    FmMarkersDialogWidget dialog{form};
};

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

} // namespace

// The FM Markers Table as the user drives it.
class FmMarkersDialogWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void ButtonsActOnTheListAsShown() {
        MarkersWindow f;
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("FM Markers Table"));
        QVERIFY(!f.dialog.findChild<QLabel*>(QStringLiteral("downloadNote")));
        QVERIFY(Child<QRadioButton>(f.dialog, "ascend")->isChecked());
        QCOMPARE(Items(f.dialog.Entry()),
                 (QStringList{"9.95000000e8", "1.00000000e9", "1.00500000e9"}));

        // Add keeps the typed text in the field; a value outside the window is warned about.
        QTest::keyClicks(f.dialog.Entry()->lineEdit(), QStringLiteral("5e6"));
        Click(f.dialog, "add");
        QCOMPARE(f.workspace.ui.MessageIds(), std::vector<int>{3016});
        QCOMPARE(f.dialog.Entry()->currentText(), QStringLiteral("5e6"));
        QCOMPARE(f.dialog.Entry()->count(), 4);

        // Descending display; Delete takes the selected row, the largest marker on top.
        Click(f.dialog, "descend");
        QCOMPARE(f.dialog.Entry()->itemText(0), QStringLiteral("1.00500000e9"));
        Click(f.dialog, "delete"); // no selection: nothing happens
        QCOMPARE(f.dialog.Entry()->count(), 4);
        f.dialog.Entry()->setCurrentIndex(0);
        Click(f.dialog, "delete");
        QCOMPARE(Items(f.dialog.Entry()),
                 (QStringList{"1.00000000e9", "9.95000000e8", "5.00000000e6"}));

        Click(f.dialog, "removeAll");
        QCOMPARE(f.dialog.Entry()->count(), 0);
    }

    void CloseAsksOnlyAfterAChangeAndStoreWritesTheTable() {
        {
            MarkersWindow f;
            Click(f.dialog, "close");
            QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
            QVERIFY(f.workspace.ui.messages.empty());
        }
        {
            MarkersWindow f;
            f.dialog.Entry()->setCurrentIndex(1);
            Click(f.dialog, "delete");
            f.workspace.ui.answers.push_back(MessageAnswer::No);
            QTest::keyClick(&f.dialog, Qt::Key_Escape);
            QCOMPARE(f.workspace.ui.messages.size(), std::size_t{1});
            QCOMPARE(f.workspace.Context("FmMark0", "Mrk1"), std::string("1000000000"));
        }
        MarkersWindow f;
        f.dialog.Entry()->setCurrentIndex(1);
        Click(f.dialog, "delete");
        Click(f.dialog, "store");
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
        QVERIFY(f.workspace.ui.messages.empty());
        QCOMPARE(f.workspace.Context("FmMark0", "Mrk1"), std::string("1005000000"));
        QCOMPARE(f.workspace.Context("FmMark0", "Mrk2"), std::string());
    }

    void FmEditorShowsTheMarkersInItsBarAndTheVisibleCrossings() {
        RunningFrame run("wavesmith FMS", [](TempWorkspace& workspace) {
            workspace.SetContext("FmMark0", "Mrk0", "1000000000");
            workspace.SetContext("FmMark0", "Mrk1", "1004000000");
        });
        QVERIFY(run.Action(CommandId::kFmMarkers)->isEnabled());
        auto* bar = run.frame->findChild<QComboBox*>(QStringLiteral("markerList"));
        QVERIFY(bar != nullptr);
        QCOMPARE(Items(bar), (QStringList{"1004000000", "1000000000"}));
        QCOMPARE(bar->currentIndex(), 0);

        // A narrower window drops the upper marker from the bar.
        WaveDoc& document = run.session.Document();
        document.SetFmDeviation("3e6");
        QCOMPARE(Items(bar), QStringList{"1000000000"});

        // A ramp over the window crosses the base once, near its middle.
        std::int32_t* codes = document.EditAllPoints().Codes32();
        const auto points = static_cast<std::int32_t>(document.Samples().Size());
        for (std::int32_t i = 0; i < points; ++i) {
            codes[i] = static_cast<std::int32_t>(1e9 * i / (points - 1));
        }
        document.RebuildMarkerSamples(); // where is FmMarkerCrossings'
        WaveView& view = *run.frame->View();
        view.UpdateAllViews();
        const double crossing = document.FmMarkers().SampleList()[0];
        const std::vector<QRect> dots = FmMarkerDots::Dots(view.ViewState().Geometry(), document);
        QCOMPARE(dots.size(), std::size_t{1});
        QCOMPARE(dots[0].x(), view.ViewState().Geometry().XToPixel(crossing) - 1);
        view.ShowRangeFromMap(0, crossing - 1);
        QVERIFY(FmMarkerDots::Dots(view.ViewState().Geometry(), document).empty());
    }

    // A wide-FM family's download has no marker file: the table says so (other families' has
    // no note, above), and so does the status bar after a download whose window holds a marker.
    void WideFmFamilyTellsThatItsMarkersAreNotDownloaded() {
        RunningFrame run(
            "wavesmith FMS",
            [](TempWorkspace& workspace) { workspace.SetContext("FmMark0", "Mrk0", "10000000"); },
            "G4270");
        FmMarkersDialog form(run.session.Services(), run.session.Document().Fm());
        QVERIFY(FmMarkersDialogWidget(form).findChild<QLabel*>(QStringLiteral("downloadNote")));
        const auto* notice = run.frame->findChild<QLabel*>(QStringLiteral("downloadNotice"));
        QVERIFY(notice != nullptr && notice->text().isEmpty());
        run.Action(CommandId::kDownload)->trigger();
        QCOMPARE(
            notice->text(),
            QStringLiteral("Download: 1 FM marker not sent: a wide-FM family has no marker file"));
    }

    // Nothing is cut off: the marker bar shows a whole marker beside its arrow, also in a small
    // font (where the frame and the arrow take more of it), and no frequency label runs off the
    // view's left edge where a window of 2 Hz gives the labels many digits ("9.999999995e8").
    void FmEditorShowsItsMarkersAndFrequenciesWhole() {
        const QFont usual = QApplication::font();
        QApplication::setFont(QFont(usual.family(), 6));
        RunningFrame run("wavesmith FMS", [](TempWorkspace& workspace) {
            workspace.SetContext("Settings", "FmDev0", "1");
        });
        QApplication::setFont(usual);
        // The bar first shows "0"; the marker comes later, as from the markers table.
        run.workspace.SetContext("FmMark0", "Mrk0", "1000000001");
        run.session.Document().RebuildMarkerBar();
        QLineEdit* edit =
            run.frame->findChild<QComboBox*>(QStringLiteral("markerList"))->lineEdit();
        QCOMPARE(edit->text(), QStringLiteral("1000000001"));
        // Seen whole, the text ends its width after its start; cut, the edit scrolls it.
        edit->home(false);
        edit->grab();
        const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
        edit->end(false);
        edit->grab();
        QVERIFY(edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() - start >=
                edit->fontMetrics().horizontalAdvance(edit->text()) - 1);

        const QImage view = run.frame->View()->grab().toImage();
        for (int y = 0; y < view.height(); ++y) {
            QVERIFY2(view.pixel(0, y) == view.pixel(0, 0) && view.pixel(1, y) == view.pixel(0, 0),
                     qPrintable(QString::number(y)));
        }
    }
};

QTEST_MAIN(FmMarkersDialogWidgetTest)
#include "FmMarkersDialogWidgetTest.moc"
