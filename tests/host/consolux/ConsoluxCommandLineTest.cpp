#include "consolux/ConsoluxCommandLine.h"
#include "HostTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::optional<ConsoluxOptions> Parse(std::vector<std::string> arguments) {
    std::string error;
    auto request = ConsoluxCommandLine::Request::Run;
    return ConsoluxCommandLine::Parse(arguments, error, request);
}

} // namespace

TEST(ConsoluxCommandLine, EachCommandTakesItsOwnArgumentsAndOptions) {
    const auto prepare = Parse({"prepare", "ws", "--family", "G4270", "--user", "alice"});
    ASSERT_TRUE(prepare);
    EXPECT_EQ(prepare->command, ConsoluxOptions::Command::Prepare);
    EXPECT_EQ(prepare->folder, "ws");
    EXPECT_EQ(prepare->family, "G4270");
    EXPECT_EQ(prepare->user, "alice");

    const auto serve = Parse({"serve", "ws", "--instrument", "lab-awg:5026", "--mode", "fm"});
    ASSERT_TRUE(serve);
    EXPECT_EQ(serve->instrument->host, "lab-awg");
    EXPECT_EQ(serve->instrument->port, 5026);
    EXPECT_EQ(serve->mode, "fm");

    const auto demo = Parse({});
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->command, ConsoluxOptions::Command::Demo);
    EXPECT_EQ(demo->family, "QW2182");
    EXPECT_FALSE(demo->memoryPoints);
    const auto large = Parse({"demo", "--memory", "256000000"});
    ASSERT_TRUE(large);
    EXPECT_EQ(large->memoryPoints, 256000000u);
}

TEST(ConsoluxCommandLine, MisfitCommandLinesAreRefused) {
    EXPECT_FALSE(Parse({"prepare"}));
    EXPECT_FALSE(Parse({"prepare", "a", "b"}));
    EXPECT_FALSE(Parse({"serve", "ws", "--family", "QW2182"}));
    EXPECT_FALSE(Parse({"demo", "--mode", "fast"}));
    EXPECT_FALSE(Parse({"demo", "--mode"}));
    EXPECT_FALSE(Parse({"request", "seven"}));
    EXPECT_FALSE(Parse({"request", "6", "1,2,3"}));
    EXPECT_FALSE(Parse({"serve", "ws", "--instrument", "host:99999"}));
    EXPECT_FALSE(Parse({"launch"}));
    EXPECT_FALSE(Parse({"--bogus"}));
    EXPECT_FALSE(Parse({"prepare", "ws", "--to", "x"}));
    for (const char* memory : {"15", "400000001", "lots", "-5", "1e6", ""}) {
        EXPECT_FALSE(Parse({"demo", "--memory", memory})) << memory;
    }
    EXPECT_FALSE(Parse({"prepare", "ws", "--memory", "1024"}));
}

TEST(ConsoluxCommandLine, PlacementDataPacksSignedCoordinatesLikeAWindowMessage) {
    const auto request = Parse({"request", "6", "-1,300"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->requestCode, 6u);
    EXPECT_EQ(request->requestData, (300 << 16) | 0xFFFF);
    EXPECT_EQ(ConsoluxOptions::ParseRequestData("-5"), -5);
    EXPECT_FALSE(ConsoluxOptions::ParseRequestData("40000,0"));
}

TEST(ConsoluxCommandLine, HelpVersionAndManualNeedNoCommand) {
    const std::vector<std::pair<std::vector<std::string>, ConsoluxCommandLine::Request>> cases = {
        {{"--help"}, ConsoluxCommandLine::Request::Help},
        {{"--version"}, ConsoluxCommandLine::Request::Version},
        {{"--help-man"}, ConsoluxCommandLine::Request::Manual},
        {{"demo", "--help"}, ConsoluxCommandLine::Request::Help},
        {{"prepare", "/tmp/x", "--help"}, ConsoluxCommandLine::Request::Help},
    };
    for (const auto& [words, expected] : cases) {
        std::string error;
        auto request = ConsoluxCommandLine::Request::Run;
        EXPECT_TRUE(ConsoluxCommandLine::Parse(words, error, request)) << words.back();
        EXPECT_EQ(request, expected) << words.back();
    }
}

// A usage error ends the run before it touches a file: `prepare` would create the folder.
// Which command lines are usage errors is MisfitCommandLinesAreRefused's; every one of them
// takes this way out.
TEST(ConsoluxCommandLine, UsageErrorsExitWithTwoBeforeTouchingAnything) {
    EnsureQtApplication();
    QTemporaryDir folder;
    const QString workspace = folder.filePath(QStringLiteral("ws"));
    const QString program = QString::fromStdString(BuildTreeProgram("host/consolux"));
    QProcess run;
    run.start(program, {QStringLiteral("prepare"), workspace, QStringLiteral("--bogus"),
                        QStringLiteral("x")});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 2);
    EXPECT_TRUE(run.readAllStandardError().contains("usage:"));
    EXPECT_FALSE(QDir(workspace).exists());
    QProcess version;
    version.start(program, {QStringLiteral("--version")});
    ASSERT_TRUE(version.waitForFinished(30000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_TRUE(version.readAllStandardOutput().startsWith("consolux "));
}
