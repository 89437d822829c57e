#include "core/HostBus.h"
#include "document/WaveDoc.h"
#include "pulse/PulseWorkspace.h"
#include "ui/CommandIds.h"
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
    void DownloadShowsTheClockAndTheForm();
};

void PulseRenderStatusTest::DownloadShowsTheClockAndTheForm() {
    RunningFrame run("wavesmith PLS", ThreePulses);
    run.workspace.bus.posted.clear();
    run.frame->OnCommand(CommandId::kDownload);
    QCOMPARE(RenderText(run), QStringLiteral("1600 S/s, single segment of 48 points"));
    QCOMPARE(run.workspace.bus.posted, std::vector<int>{NotifyDownloadSegment});
    // The points become the document's length; the bar keeps showing the duration.
    QCOMPARE(run.session.Document().Length(), 48.0);
    QCOMPARE(run.Field(ControlId::kLengthField)->text(), QStringLiteral("0.03"));
}

QTEST_MAIN(PulseRenderStatusTest)
#include "PulseRenderStatusTest.moc"
