#include "core/HostBus.h"
#include "core/StringTable.h"
#include "document/WaveDoc.h"
#include "pulse/PulseWorkspace.h"
#include "ui/CommandIds.h"
#include "ui/PulseDesignView.h"
#include "ui/support/RunningFrame.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QtTest>

#include <string>

namespace {

// One DC section: 10 ms at 0.5 V, played three times; Vpp 2 V.
void ThreePulses(TempWorkspace& ws) {
    PulseWorkspace::Write(ws, "PulseRoot-ch1",
                          {{"qPls", "1"}, {"activePls", "0"}, {"Vpp", "2"}, {"Duration", "0.03"}});
    PulseWorkspace::Write(ws, "Pulse0-ch1",
                          {{"Train", "0"}, {"tmUnitInd", "1"}, {"Start", "0"}, {"LocDur", "0.01"}});
    PulseWorkspace::Write(
        ws, "Pulse0-ch1",
        {{"Repeat", "3"}, {"qItm", "1"}, {"Link0-sub1", "0.01"}, {"Link0-sub2", "0.5"}});
}

QString RenderText(const RunningFrame& run) {
    return run.frame->statusBar()->findChild<QLabel*>(QStringLiteral("pulseRenderText"))->text();
}

} // namespace

// Download in the pulse designer renders first and shows the clock and the form it chose;
// the render's rules and refusals are proven by the core tests.
class PulseRenderStatusTest : public QObject {
    Q_OBJECT
private slots:
    // A refusal's text is long: the window keeps its width and the cursor's readout stays
    // whole; the text goes once the design it speaks of changes, or another channel is shown.
    void DownloadShowsTheClockAndTheFormOrARefusalWhileItsDesignStays() {
        RunningFrame run("wavesmith PLS", ThreePulses);
        run.workspace.bus.posted.clear();
        run.frame->OnCommand(CommandId::kDownload);
        QCOMPARE(RenderText(run), QStringLiteral("1600 S/s, single segment of 48 points"));
        QCOMPARE(run.workspace.bus.posted, std::vector<int>{NotifyDownloadSegment});
        // The points become the document's length; the bar keeps showing the duration.
        QCOMPARE(run.session.Document().Length(), 48.0);
        QCOMPARE(run.Field(ControlId::kLengthField)->text(), QStringLiteral("0.03"));

        // A second line of 0.05 us, which no clock resolves.
        PulseWorkspace::Write(run.workspace, "Pulse0-ch1",
                              {{"qItm", "2"}, {"Link1-sub1", "5e-8"}, {"Link1-sub2", "0"}});
        PulseDesignView* view = run.frame->PulseView();
        const int width = run.frame->width();
        run.workspace.ui.Clear();
        run.frame->OnCommand(CommandId::kDownload);
        QVERIFY(RenderText(run).startsWith(QStringLiteral("not rendered: Section 1, line 2")));
        QCOMPARE(run.workspace.ui.MessageIds(), std::vector<int>{0});
        const Message& told = run.workspace.ui.messages[0];
        QVERIFY(told.text.ends_with("\nNothing was rendered.") && told.icon == MessageIcon::Error);
        QTest::mouseMove(view, view->rect().center());
        QCoreApplication::processEvents();
        QCOMPARE(run.frame->width(), width);
        const auto* readout = run.frame->statusBar()->findChild<QLabel*>("positionText");
        QVERIFY(readout->text().startsWith("Time ") &&
                readout->width() >= readout->fontMetrics().horizontalAdvance(readout->text()));
        view->ConfirmAmplitude(QStringLiteral("1.5"));
        QCOMPARE(RenderText(run), QString());
        run.frame->OnCommand(CommandId::kDownload);
        QVERIFY(!RenderText(run).isEmpty());
        run.frame->OnCommand(CommandId::kChannel2);
        QCOMPARE(RenderText(run), QString());
    }

    // The questions as the window shows them, in the order the render raises them: 0.3 us
    // steps need a clock above the instrument's (3024); at the lowered clock 0.3 s no longer
    // fit one segment (3023).
    void TheWindowAsksTheClockThenTheForm() {
        RunningFrame run("wavesmith PLS", [](TempWorkspace& ws) {
            PulseWorkspace::Write(ws, "PulseRoot-ch1", {{"qPls", "1"}, {"Vpp", "2"}});
            PulseWorkspace::Write(ws, "Pulse0-ch1",
                                  {{"Train", "0"}, {"LocDur", "0.3"}, {"qItm", "3"}});
            PulseWorkspace::Write(ws, "Pulse0-ch1",
                                  {{"Link0-sub1", "3e-7"}, {"Link0-sub2", "0.1"}});
            PulseWorkspace::Write(ws, "Pulse0-ch1",
                                  {{"Link1-sub1", "6e-7"}, {"Link1-sub2", "-0.1"}});
            PulseWorkspace::Write(ws, "Pulse0-ch1", {{"Link2-sub1", "0.3"}, {"Link2-sub2", "0"}});
        });
        RecordingUserInterface& ui = run.workspace.ui;
        ui.Clear();
        ui.answers = {MessageAnswer::Yes, MessageAnswer::No};
        run.frame->OnCommand(CommandId::kDownload);
        QCOMPARE(ui.MessageIds(), (std::vector<int>{MsgClockRestriction, MsgMemoryRestriction}));
        QVERIFY(ui.messages[0].text.find("(SClK max = 1250000000 required = ") !=
                std::string::npos);
        QCOMPARE(ui.messages[1].text, MessageText(MsgMemoryRestriction));
        QVERIFY(ui.messages[0].icon == MessageIcon::Exclamation &&
                ui.messages[1].icon == MessageIcon::Question);
        QVERIFY(ui.messages[0].buttons == MessageButtons::YesNo &&
                ui.messages[1].buttons == MessageButtons::YesNo);
        QCOMPARE(RenderText(run),
                 QStringLiteral("not rendered: The single segment does not fit the memory."));
    }
};

QTEST_MAIN(PulseRenderStatusTest)
#include "PulseRenderStatusTest.moc"
