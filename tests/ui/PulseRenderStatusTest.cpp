#include "core/HostBus.h"
#include "support/TempWorkspace.h"
#include "ui/CommandIds.h"
#include "ui/support/RunningFrame.h"

#include <QLabel>
#include <QStatusBar>
#include <QtTest>

#include <string>

namespace {

// One DC section: 10 ms at `level` V, played three times; Vpp 2 V.
std::function<void(TempWorkspace&)> DesignAt(const std::string& level) {
    return [level](TempWorkspace& ws) {
        ws.SetContext("PulseRoot-ch1", "qPls", "1");
        ws.SetContext("PulseRoot-ch1", "activePls", "0");
        ws.SetContext("PulseRoot-ch1", "Vpp", "2");
        ws.SetContext("PulseRoot-ch1", "Duration", "0.03");
        ws.SetContext("Pulse0-ch1", "Train", "0");
        ws.SetContext("Pulse0-ch1", "tmUnitInd", "1");
        ws.SetContext("Pulse0-ch1", "Start", "0");
        ws.SetContext("Pulse0-ch1", "LocDur", "0.01");
        ws.SetContext("Pulse0-ch1", "Repeat", "3");
        ws.SetContext("Pulse0-ch1", "qItm", "1");
        ws.SetContext("Pulse0-ch1", "Link0-sub1", "0.01");
        ws.SetContext("Pulse0-ch1", "Link0-sub2", level);
    };
}

QString RenderText(const RunningFrame& run) {
    return run.frame->statusBar()->findChild<QLabel*>(QStringLiteral("pulseRenderText"))->text();
}

} // namespace

// Download in the pulse designer renders first and shows the clock and the form it chose.
class PulseRenderStatusTest : public QObject {
    Q_OBJECT
private slots:
    void DownloadShowsTheClockAndTheForm();
    void RefusedDesignSaysWhyAndSendsNothing();
};

void PulseRenderStatusTest::DownloadShowsTheClockAndTheForm() {
    RunningFrame run("wavesmith PLS", DesignAt("0.5"));
    run.workspace.bus.posted.clear();
    run.frame->OnCommand(CommandId::kDownload);
    QCOMPARE(RenderText(run), QStringLiteral("1600 S/s, single segment of 48 points"));
    QCOMPARE(run.workspace.bus.posted, std::vector<int>{NotifyDownloadSegment});
}

void PulseRenderStatusTest::RefusedDesignSaysWhyAndSendsNothing() {
    RunningFrame run("wavesmith PLS", DesignAt("1.5"));
    run.workspace.bus.posted.clear();
    run.workspace.ui.Clear();
    run.frame->OnCommand(CommandId::kDownload);
    QVERIFY(RenderText(run).startsWith(QStringLiteral("not rendered: Section 1, line 1: level")));
    QCOMPARE(run.workspace.ui.messages.size(), std::size_t{1});
    QVERIFY(run.workspace.bus.posted.empty());
}

QTEST_MAIN(PulseRenderStatusTest)
#include "PulseRenderStatusTest.moc"
