#include "HostTestSupport.h"
#include "ScpiConnection.h"
#include "link/HostLink.h"
#include "link/HostRequest.h"
#include "platform/console/ConsoleHostBus.h"
#include "platform/qt/DbusHostBus.h"
#include "support/TempWorkspace.h"

#include <QDBusConnection>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QString Consolux() {
    return QString::fromStdString(BuildTreeProgram("host/consolux"));
}

// `consolux serve` on a tool workspace, read line by line.
class ServeProcess {
public:
    ServeProcess(const TempWorkspace& tool, const InstrumentAddress& instrument) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(Consolux(), {QStringLiteral("serve"), QString::fromStdString(tool.Folder()),
                                    QStringLiteral("--user"), QStringLiteral("tst"),
                                    QStringLiteral("--instrument"),
                                    QString::fromStdString(instrument.ToString())});
    }
    ~ServeProcess() {
        process_.terminate();
        process_.waitForFinished(3000);
    }

    // The next line that starts with `prefix`; empty after the timeout.
    std::string LineStartingWith(const std::string& prefix, int timeoutMs = 5000) {
        std::string found;
        SpinEventLoopUntil(
            [&] {
                while (process_.canReadLine()) {
                    const std::string line = process_.readLine().trimmed().toStdString();
                    if (line.rfind(prefix, 0) == 0) {
                        found = line;
                        return true;
                    }
                }
                process_.waitForReadyRead(10);
                return false;
            },
            timeoutMs);
        return found;
    }

private:
    QProcess process_;
};

bool SessionBusAvailable() {
    EnsureQtApplication();
    return QDBusConnection::sessionBus().isConnected();
}

} // namespace

TEST(ConsoluxServe, DownloadPostedOnTheBusReachesTheInstrument) {
    if (!SessionBusAvailable()) {
        GTEST_SKIP() << "no D-Bus session bus (run under dbus-run-session)";
    }
    TempWorkspace tool;
    SimulatorProcess simulator;
    ServeProcess serve(tool, simulator.Address());
    ASSERT_NE(serve.LineStartingWith("listening"), "");

    const std::string bytes = SampleBytes(AwkwardSamples(2000));
    const std::string path = tool.WriteFile("$tst/TemS7.wa0", bytes);
    tool.SetContext("SegmTbl", "Segm7-0", path);
    ConsoleHostBus bus;
    AppServices services{tool.state, tool.store, tool.ui, bus};
    DownloadRequest request;
    request.segment = 7;
    request.lengthPoints = 2000;
    HostLink(services).DownloadWaveform(request);

    EXPECT_EQ(serve.LineStartingWith("notify 2"),
              "notify 2 download ch=1 \":TRAC:DEF 7,2000;:TRAC:SEL 7\" " + path +
                  " 4000 bytes -> 0,\"No error\"");
    ScpiConnection instrument;
    ASSERT_TRUE(instrument.Open(simulator.Address()));
    instrument.Send(":INST 1;:TRAC:SEL 7");
    EXPECT_EQ(instrument.QueryBlock(":TRAC:DATA?"), bytes);

    HostLink(services).NotifyDocumentClosed();
    EXPECT_EQ(serve.LineStartingWith("notify 5"), "notify 5 closing");
}

TEST(ConsoluxRequest, TileRequestLeavesTheRectangleAndReachesTheTool) {
    if (!SessionBusAvailable()) {
        GTEST_SKIP() << "no D-Bus session bus (run under dbus-run-session)";
    }
    TempWorkspace tool;
    DbusHostBus bus;
    std::vector<HostRequest> requests;
    bus.SetRequestHandler([&](std::uint32_t code, std::int64_t data) {
        requests.push_back(HostRequest::Decode(code, data, tool.state.mode, tool.store));
    });
    ASSERT_EQ(
        QProcess::execute(Consolux(), {QStringLiteral("request"), QStringLiteral("7"),
                                       QStringLiteral("--rect"), QStringLiteral("10 20 810 620")}),
        0);
    ASSERT_EQ(QProcess::execute(Consolux(), {QStringLiteral("request"), QStringLiteral("6"),
                                             QStringLiteral("-300,-20")}),
              0);
    ASSERT_TRUE(SpinEventLoopUntil([&] { return requests.size() == 2; }));
    EXPECT_EQ(requests[0].action, HostAction::Tile);
    EXPECT_EQ(requests[0].x, 10);
    EXPECT_EQ(requests[0].y, 20);
    EXPECT_EQ(requests[0].width, 800);
    EXPECT_EQ(requests[0].height, 600);
    EXPECT_EQ(requests[1].action, HostAction::Place);
    EXPECT_EQ(requests[1].x, -300);
    EXPECT_EQ(requests[1].y, -20);
}

TEST(ConsoluxServe, WorkspaceWithoutContextFileIsRefused) {
    EnsureQtApplication();
    TempWorkspace tool;
    QProcess serve;
    serve.start(Consolux(), {QStringLiteral("serve"), QString::fromStdString(tool.Folder()),
                             QStringLiteral("--user"), QStringLiteral("nobody")});
    ASSERT_TRUE(serve.waitForFinished(5000));
    EXPECT_EQ(serve.exitCode(), 1);
    EXPECT_TRUE(serve.readAllStandardError().contains("no context file"));
}
