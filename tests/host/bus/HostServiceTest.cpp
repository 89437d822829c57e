#include "bus/HostService.h"
#include "HostTestSupport.h"
#include "link/HostLink.h"
#include "platform/qt/DbusHostBus.h"
#include "support/TempWorkspace.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// A host service for a tool workspace, with everything it says collected.
class ServiceBench {
public:
    ServiceBench()
        : service(Workspace(tool.Folder(), tool.state.userTag, "QW2182"), simulator.Address()) {
        QObject::connect(&service, &HostService::Logged,
                         [this](const QString& line) { logged << line; });
    }

    TempWorkspace tool;
    SimulatorProcess simulator;
    HostService service;
    QStringList logged;
};

} // namespace

// The started tool's download is performed off the event thread, with progress. (Which
// notices are performed at all is ToolFilterTest's; that the service lists the others is
// the control panel's OtherToolsNoticesAreListedAsIgnored and ConsoluxServe's two hosts.)
TEST(HostService, TheStartedToolsDownloadRunsOffTheEventThreadWithProgress) {
    if (!SessionBusAvailable()) {
        GTEST_SKIP() << "no D-Bus session bus (run under dbus-run-session)";
    }
    ServiceBench bench;
    ASSERT_TRUE(bench.service.Start());
    bench.service.SetStartedTool(QCoreApplication::applicationPid());

    std::vector<std::pair<qint64, qint64>> progress;
    QThread* progressThread = nullptr;
    InstrumentWorker& worker = bench.service.Instrument();
    QObject::connect(
        &worker, &InstrumentWorker::Progress, &worker,
        [&](qint64, qint64) { progressThread = QThread::currentThread(); }, Qt::DirectConnection);
    // Received here, on the test's thread.
    QObject::connect(&worker, &InstrumentWorker::Progress, &bench.service,
                     [&](qint64 sent, qint64 total) { progress.emplace_back(sent, total); });
    QString result;
    QObject::connect(&bench.service, &HostService::Handled,
                     [&](uint, bool, const QString& text) { result = text; });

    const std::string path =
        bench.tool.WriteFile("$tst/TemS4.wa0", SampleBytes(AwkwardSamples(5000)));
    bench.tool.SetContext("SegmTbl", "Segm4-0", path);
    DbusHostBus bus;
    AppServices services{bench.tool.state, bench.tool.store, bench.tool.ui, bus};
    DownloadRequest request;
    request.segment = 4;
    request.lengthPoints = 5000;
    HostLink(services, bench.tool.Mode()).DownloadWaveform(request);

    ASSERT_TRUE(SpinEventLoopUntil([&] { return !bench.logged.isEmpty(); }));
    EXPECT_TRUE(bench.logged[0].endsWith(QStringLiteral("10000 bytes -> 0,\"No error\"")))
        << bench.logged[0].toStdString();
    EXPECT_EQ(result, QStringLiteral("segment 4 of channel 1: 5000 points, 10000 bytes"));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, progress.back().second);
    EXPECT_NE(progressThread, QThread::currentThread());
    EXPECT_EQ(bench.service.ToolConnection(), QDBusConnection::sessionBus().baseService());
}
