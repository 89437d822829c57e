#include "HostTestSupport.h"
#include "link/HostRequest.h"
#include "platform/qt/DbusHostBus.h"
#include "settings/IniFile.h"
#include "support/ProgramUnderTest.h"
#include "support/TempWorkspace.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = ProgramUnderTest::kWaitMs;

QString Consolux() {
    return QString::fromStdString(BuildTreeProgram("host/consolux"));
}

// `consolux serve` on a workspace of the user "tst".
class ServeProcess : public ProgramUnderTest {
public:
    ServeProcess(const QString& folder, const InstrumentAddress& instrument,
                 const QProcessEnvironment& environment) {
        Process().setProcessEnvironment(environment);
        Start(Consolux(),
              {QStringLiteral("serve"), folder, QStringLiteral("--user"), QStringLiteral("tst"),
               QStringLiteral("--instrument"), QString::fromStdString(instrument.ToString())});
    }
    std::string Line(const char* head) { return WaitForLine(QLatin1String(head)).toStdString(); }
};

// Workspaces of one user, sharing the user's registry (and so the link key), on one bus.
class UserSetup {
public:
    UserSetup() {
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("WAVESMITH_REGISTRY_DIR"), root_.filePath("registry"));
        environment_.insert(QStringLiteral("USER"), QStringLiteral("tst"));
    }

    // A workspace as `consolux prepare` leaves it; empty when that failed.
    QString Prepare(const QString& name) {
        const QString folder = root_.filePath(name);
        return Run(Consolux(), {QStringLiteral("prepare"), folder}, root_.path()) ? folder
                                                                                  : QString();
    }
    // wavesmith-cli run in the workspace, as the tool runs there.
    bool Tool(const QString& folder, const QString& command, const QString& argument = {}) {
        QStringList arguments{command};
        if (!argument.isEmpty()) {
            arguments << argument;
        }
        return Run(QString::fromStdString(BuildTreeProgram("src/cli/wavesmith-cli")), arguments,
                   folder);
    }
    const QProcessEnvironment& Environment() const { return environment_; }

private:
    bool Run(const QString& program, const QStringList& arguments, const QString& folder) {
        QProcess process;
        process.setProcessEnvironment(environment_);
        process.setWorkingDirectory(folder);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        return process.waitForFinished(kWaitMs) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QTemporaryDir root_;
    QProcessEnvironment environment_;
};

std::string WorkingFile(const QString& workspace, int segment, int channel) {
    return IniFile(workspace.toStdString() + "/$tst/TempGlyp.cad")
        .Read("SegmTbl", "Segm" + std::to_string(segment) + "-" + std::to_string(channel))
        .value_or("");
}

using ConsoluxServeOnBus = SessionBusTest;
using ConsoluxRequest = SessionBusTest;

} // namespace

TEST_F(ConsoluxServeOnBus, TwoToolsWithTwoHostsOnOneBusEachReachOnlyTheirOwnInstrument) {
    UserSetup user;
    const QString first = user.Prepare(QStringLiteral("first"));
    const QString second = user.Prepare(QStringLiteral("second"));
    ASSERT_FALSE(first.isEmpty() || second.isEmpty());
    SimulatorProcess firstInstrument;
    SimulatorProcess secondInstrument;
    ServeProcess firstHost(first, firstInstrument.Address(), user.Environment());
    ServeProcess secondHost(second, secondInstrument.Address(), user.Environment());
    ASSERT_NE(firstHost.Line("listening"), "");
    ASSERT_NE(secondHost.Line("listening"), "");

    ASSERT_TRUE(user.Tool(first, "segment", "3"));
    ASSERT_TRUE(user.Tool(first, "generate", "sine"));
    ASSERT_TRUE(user.Tool(first, "download"));
    const std::string firstFile = WorkingFile(first, 3, 0);
    EXPECT_EQ(firstHost.Line("notify 2 "),
              "notify 2 download ch=1 \":TRAC:DEF 3,1024;:TRAC:SEL 3\" " + firstFile +
                  " 2048 bytes -> 0,\"No error\"");
    EXPECT_NE(secondHost.Line("notify 2 ignored: "), "");

    ASSERT_TRUE(user.Tool(second, "channel", "2"));
    ASSERT_TRUE(user.Tool(second, "segment", "5"));
    ASSERT_TRUE(user.Tool(second, "generate", "square"));
    ASSERT_TRUE(user.Tool(second, "download"));
    const std::string secondFile = WorkingFile(second, 5, 1);
    EXPECT_EQ(secondHost.Line("notify 2 download"),
              "notify 2 download ch=2 \":TRAC:DEF 5,1024;:TRAC:SEL 5\" " + secondFile +
                  " 2048 bytes -> 0,\"No error\"");
    EXPECT_NE(firstHost.Line("notify 2 ignored: "), "");

    InstrumentLook firstMemory(firstInstrument.Address());
    EXPECT_EQ(firstMemory.Catalog(1), "3,1024");
    EXPECT_EQ(firstMemory.Catalog(2), "");
    EXPECT_EQ(firstMemory.SegmentData(1, 3), TempWorkspace::ReadFile(firstFile));
    InstrumentLook secondMemory(secondInstrument.Address());
    EXPECT_EQ(secondMemory.Catalog(1), "");
    EXPECT_EQ(secondMemory.Catalog(2), "5,1024");
    EXPECT_EQ(secondMemory.SegmentData(2, 5), TempWorkspace::ReadFile(secondFile));

    for (auto* host : {&firstHost, &secondHost}) {
        for (const QString& line : host->Lines()) {
            EXPECT_FALSE(line.contains(QLatin1String("failed"))) << line.toStdString();
        }
    }
    EXPECT_TRUE(firstHost.Line("listening").ends_with("workspace=" + first.toStdString()));
}

// The rectangle goes through the registry, under the key the tool reads it from.
TEST_F(ConsoluxRequest, TileRequestLeavesTheRectangleAndReachesTheTool) {
    TempWorkspace tool;
    DbusHostBus bus;
    std::vector<HostRequest> requests;
    bus.SetRequestHandler([&](std::uint32_t code, std::int64_t data) {
        requests.push_back(HostRequest::Decode(code, data, tool.Mode(), tool.store));
    });
    ASSERT_EQ(
        QProcess::execute(Consolux(), {QStringLiteral("request"), QStringLiteral("7"),
                                       QStringLiteral("--rect"), QStringLiteral("10 20 810 620")}),
        0);
    ASSERT_TRUE(SpinEventLoopUntil([&] { return requests.size() == 1; }));
    EXPECT_EQ(std::tuple(requests[0].action, requests[0].x, requests[0].y, requests[0].width,
                         requests[0].height),
              std::tuple(HostAction::Tile, 10, 20, 800, 600));
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
