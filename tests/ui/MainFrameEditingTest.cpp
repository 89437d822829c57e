#include "core/StringTable.h"
#include "document/WaveDoc.h"
#include "ui/AnchorEditor.h"
#include "ui/AnchorHandle.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/WaveView.h"
#include "ui/support/RunningFrame.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <cmath>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

// Editing through the main window: the bar fields, undo, dropped files, the anchor editor's
// keyboard and the drawing prompt.

namespace {

// A waveform file of the wide FM variant: frequencies in Hz as 64-bit doubles.
std::string HzSamples(const std::vector<double>& values) {
    std::string bytes(values.size() * sizeof(double), '\0');
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

} // namespace

class MainFrameEditingTest : public QObject {
    Q_OBJECT

private slots:
    void SegmentFieldSwitchesSegmentAndRefusesZero() {
        RunningFrame run;
        QLineEdit* segment = run.Field(ControlId::kSecondField);

        // What a switch writes is the segment commands'
        // (CliTest.SegmentFourOnChannelTwoUpdatesTheActiveList).
        TypeAndEnter(segment, "4");
        QCOMPARE(run.session.State().activeSegment, 4);

        TypeAndEnter(segment, "0");
        QCOMPARE(run.workspace.ui.MessageIds(), std::vector<int>{MsgValueOutOfRange});
        QCOMPARE(run.session.State().activeSegment, 4);
        QCOMPARE(segment->text(), QString("4"));
    }

    void FmSecondFieldSetsDeviationAndTellsTheHost() {
        RunningFrame run("wavesmith FMS");
        QLineEdit* deviation = run.Field(ControlId::kSecondField);
        run.workspace.bus.posted.clear();

        TypeAndEnter(deviation, "5e6");

        QCOMPARE(run.session.Document().Fm().Deviation(), 5e6);
        QCOMPARE(deviation->text(), QString("5e6"));
        QCOMPARE(run.workspace.bus.posted, std::vector<int>{NotifyCommand});
        QCOMPARE(run.session.Document().Length(), 1024.0); // the length field was not touched
    }

    // With samples in Hz the window, and so the deviation shown, comes from the samples: at
    // start from the working file, then from each opened file and each new waveform.
    void WideFmDeviationFieldShowsWhatTheSamplesSpan() {
        RunningFrame run(
            "wavesmith FMS",
            [](TempWorkspace& workspace) {
                workspace.WriteFile("$tst/FmDef.wfm", HzSamples({9e6, 9.6e6, 9.3e6}));
            },
            "G4270");
        QLineEdit* deviation = run.Field(ControlId::kSecondField);
        QCOMPARE(deviation->text(), QString("300000"));

        const std::string opened = run.workspace.WriteFile("opened.wfm", HzSamples({9e6, 10e6}));
        run.workspace.ui.fileAnswers.push_back(FileChoice{opened, 0});
        run.frame->OnCommand(CommandId::kOpen);
        QCOMPARE(run.session.Document().Length(), 2.0);
        QCOMPARE(deviation->text(), QString("500000"));

        // A new waveform is flat at the carrier the opened file left (9.5 MHz): 10 % of it.
        run.frame->OnCommand(CommandId::kNew);
        QCOMPARE(deviation->text(), QString("950000"));
    }

    void FileDroppedOnTheWindowIsOpenedAfterTheDrop() {
        RunningFrame run;
        RecordingUserInterface& ui = run.workspace.ui;
        run.frame->SetDroppedFileAnswer([&ui](const std::string& path) {
            ui.fileAnswers.push_back(FileChoice{path, 0});
        });
        const std::string wave = run.workspace.WriteFile("dropped.wav", std::string(4000, '\0'));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(wave))});
        const QPointF where(200, 200);

        QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(run.frame.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(where, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(run.frame.get(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(run.session.Document().Length(), 1024.0); // opened once the drop is over

        QTRY_COMPARE(run.session.Document().Length(), 2000.0);
        QCOMPARE(run.Field(ControlId::kLengthField)->text(), QString("2000"));
        QCOMPARE(run.session.Document().VisibleFileName(), wave);
        // It went through the Open command, whose question the drop answered: the command's
        // rules for the file (FormatsFileChooserTest) hold for a dropped one too.
        QCOMPARE(ui.fileQuestions.size(), std::size_t{1});
    }

    // A refused length shows the kept one again; Undo reaches the waveform from the field once
    // what was typed there is confirmed.
    void LengthFieldRefusesOutOfRangeAndUndoReachesTheWaveformFromAnUntouchedField() {
        RunningFrame run;
        QAction* undo = run.Action(CommandId::kUndo);
        run.frame->UpdateCommandStates();
        QVERIFY(!undo->isEnabled());
        QCOMPARE(QApplication::focusWidget(), run.frame->View());
        QLineEdit* length = run.Field(ControlId::kLengthField);
        QCOMPARE(length->text(), QString("1024"));
        length->setFocus();
        TypeAndEnter(length, "8"); // the family's shortest waveform has 16 points
        QCOMPARE(run.workspace.ui.MessageIds(), std::vector<int>{MsgValueOutOfRange});
        QCOMPARE(length->text(), QString("1024"));
        TypeAndEnter(length, "2000");
        QCOMPARE(run.session.Document().Length(), 2000.0);
        QVERIFY(!length->isModified());
        QVERIFY(undo->isEnabled());
        QCOMPARE(QApplication::focusWidget(), length);

        // Typed but not confirmed: the key takes the typing back, the waveform stays.
        QTest::keyClicks(length, "4");
        QTest::keyClick(length, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(length->text(), QString("2000"));
        QCOMPARE(run.session.Document().Length(), 2000.0);

        QTest::keyClick(length, Qt::Key_Return); // the same length again: nothing to apply
        QVERIFY(!length->isModified());
        QTest::keyClick(length, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(run.session.Document().Length(), 1024.0);
        QCOMPARE(length->text(), QString("1024"));
        QVERIFY(!undo->isEnabled());
    }

    // Keys typed after the anchor editor closes must not reach the length field, where they
    // would resize the waveform.
    void ClosedAnchorEditorGivesTheKeyboardBackToTheView() {
        RunningFrame run;
        WaveView* view = run.frame->View();
        AnchorEditor* editor = view->Editor();
        const auto openEditor = [&] {
            const int x = view->ViewState().Geometry().XToPixel(view->LeftAnchor());
            QTest::mouseClick(view, Qt::RightButton, {},
                              QPoint(x + 3, view->Handle(0)->geometry().center().y()));
            QVERIFY(editor->isVisible());
            QCOMPARE(QApplication::focusWidget(), editor);
        };
        const std::vector<std::pair<const char*, std::function<void()>>> closings = {
            {"Enter", [&] { TypeAndEnter(editor, "250"); }},
            {"Escape", [&] { QTest::keyClick(editor, Qt::Key_Escape); }},
        };
        for (const auto& [name, close] : closings) {
            openEditor();
            close();
            QVERIFY2(!editor->isVisible(), name);
            QVERIFY2(QApplication::focusWidget() == view, name);
        }
        QCOMPARE(view->LeftAnchor(), 250.0);
        QTest::keyClicks(QApplication::focusWidget(), "4");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(run.session.Document().Length(), 1024.0);
        QCOMPARE(run.Field(ControlId::kLengthField)->text(), QString("1024"));
    }

    void DrawingPromptStaysWhileTheCursorPositionChanges() {
        RunningFrame run;
        auto* status = run.frame->findChild<QLabel*>("statusText");
        auto* position = run.frame->findChild<QLabel*>("positionText");
        QVERIFY(status != nullptr && position != nullptr);
        WaveView* view = run.frame->View();
        const ViewGeometry& geometry = view->ViewState().Geometry();
        const PixelRect& plot = geometry.Plot();
        const QPoint middle((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2);
        const QPoint at = middle + QPoint(10, -40);

        run.Action(CommandId::kAutoline)->trigger();
        QTest::mouseMove(view, middle);
        QTest::mouseMove(view, at);

        QCOMPARE(status->text(),
                 QString("Draw stright line sections. Press right button to stop."));
        QCOMPARE(position->text(),
                 QString("Point %1   Value %2")
                     .arg(static_cast<long long>(std::trunc(geometry.PixelToX(at.x()))))
                     .arg(static_cast<long long>(std::trunc(geometry.PixelToCode(at.y())))));

        QTest::mouseClick(view, Qt::RightButton, {}, middle);
        QCOMPARE(status->text(), QString("Ready"));
        QTest::mouseMove(view, QPoint(plot.left - 5, at.y())); // off the plot: no position
        QCOMPARE(position->text(), QString());
    }
};

QTEST_MAIN(MainFrameEditingTest)
#include "MainFrameEditingTest.moc"
