#include "bus/HostService.h"
#include "HostTestSupport.h"
#include "link/HostLink.h"
#include "platform/qt/DbusHostBus.h"
#include "support/TempWorkspace.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QThread>

#include <gtest/gtest.h>

// The started tool's download is performed off the event thread, with progress. (Which
// notices are performed at all is ToolFilterTest's; that the service lists the others is
// the control panel's OtherToolsNoticesAreListedAsIgnored and ConsoluxServeOnBus's two hosts.)
using HostServiceOnBus = SessionBusTest;

TEST_F(HostServiceOnBus, TheStartedToolsDownloadRunsOffTheEventThreadWithProgress) {
    TempWorkspace tool;
    SimulatorProcess simulator;
    HostService service(Workspace(tool.Folder(), tool.state.userTag, "QW2182"),
                        simulator.Address());
    QStringList logged;
    QObject::connect(&service, &HostService::Logged, [&](const QString& line) { logged << line; });
    ASSERT_TRUE(service.Start());
    service.SetStartedTool(QCoreApplication::applicationPid());

    std::vector<std::pair<qint64, qint64>> progress;
    QThread* progressThread = nullptr;
    InstrumentWorker& worker = service.Instrument();
    QObject::connect(
        &worker, &InstrumentWorker::Progress, &worker,
        [&](qint64, qint64) { progressThread = QThread::currentThread(); }, Qt::DirectConnection);
    // Received here, on the test's thread.
    QObject::connect(&worker, &InstrumentWorker::Progress, &service,
                     [&](qint64 sent, qint64 total) { progress.emplace_back(sent, total); });
    QString result;
    QObject::connect(&service, &HostService::Handled,
                     [&](uint, bool, const QString& text) { result = text; });

    const std::string path =
        tool.WriteFile("$tst/TemS4.wa0", ScpiTestClient::Bytes(AwkwardSamples(5000)));
    tool.SetContext("SegmTbl", "Segm4-0", path);
    DbusHostBus bus;
    AppServices services{tool.state, tool.store, tool.ui, bus};
    DownloadRequest request;
    request.segment = 4;
    request.lengthPoints = 5000;
    HostLink(services, tool.Mode()).DownloadWaveform(request);

    ASSERT_TRUE(SpinEventLoopUntil([&] { return !logged.isEmpty(); }));
    EXPECT_TRUE(logged[0].endsWith(QStringLiteral("10000 bytes -> 0,\"No error\"")))
        << logged[0].toStdString();
    EXPECT_EQ(result, QStringLiteral("segment 4 of channel 1: 5000 points, 10000 bytes"));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, progress.back().second);
    EXPECT_NE(progressThread, QThread::currentThread());
    EXPECT_EQ(service.ToolConnection(), QDBusConnection::sessionBus().baseService());
}
