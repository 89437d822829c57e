#include "CliFixture.h"
#include "cli/CliCommandTable.h"

#include <sys/wait.h>

namespace {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built program in `folder` as the user "tst".
ProgramRun RunProgram(const std::string& folder, const std::string& arguments) {
    const std::string program = std::string(WAVESMITH_BINARY_DIR) + "/src/cli/wavesmith-cli";
    const std::string out = folder + "run.out";
    const std::string err = folder + "run.err";
    const std::string line = "cd '" + folder + "' && USER=tst '" + program + "' " + arguments +
                             " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(line.c_str());
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = TempWorkspace::ReadFile(out);
    run.err = TempWorkspace::ReadFile(err);
    return run;
}

} // namespace

TEST(CliCommandLine, MisfitCommandLinesAreRefusedWithTheirReason) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command given"},
        {{"--bogus", "info"}, "unknown option --bogus"},
        {{"--mode"}, "--mode takes std, fm or pulse"},
        {{"--mode", "xyz", "info"}, "--mode takes std, fm or pulse"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"length"}, "length takes 1 argument(s)"},
        {{"convert", "a.wav"}, "convert takes 2 argument(s)"},
        {{"info", "--text"}, "unknown option --text"},
        {{"dump", "--txt"}, "unknown option --txt"},
        {{"generate", "sine", "--set", "=3"}, "--set takes KEY=TEXT, not =3"},
        {{"edit", "smooth", "--anchors", "1"}, "--anchors takes two point numbers"},
        {{"edit", "smooth", "--anchors", "1", "x"}, "--anchors takes two point numbers"},
        {{"eval", "p", "--from", "one"}, "--from takes a number"},
        // The verbs of pulse and fm are checked as far as no workspace is needed.
        {{"--mode", "pulse", "pulse", "bogus"}, "pulse has no verb bogus"},
        {{"--mode", "fm", "fm", "frob"},
         "fm takes deviation TEXT, markers [ACTION]..., bar or crossings"},
        {{"--mode", "fm", "fm", "markers", "add", "1e6", "sort", "up"},
         "fm markers sort takes asc or desc"},
    };
    for (const auto& [words, reason] : cases) {
        CliOptions options;
        const auto error = ParseCommandLine(words, options);
        ASSERT_TRUE(error) << words.size();
        EXPECT_EQ(*error, reason);
    }
}

TEST(CliCommandLine, WordsMayStartWithADashAndOptionsTakeNegativeNumbers) {
    CliOptions options;
    ASSERT_FALSE(ParseCommandLine({"--yes", "--cancel", "eval", "-p", "--from", "-5", "--to", "-1"},
                                  options));
    EXPECT_EQ(options.policy, ConsoleUserInterface::Policy::Cancel);
    EXPECT_EQ(options.words, std::vector<std::string>{"-p"});
    EXPECT_EQ(options.options["from"], "-5");
    EXPECT_EQ(options.options["to"], "-1");

    CliOptions generate;
    ASSERT_FALSE(ParseCommandLine(
        {"--mode", "fm", "generate", "sine", "--set", "Wavmin=-100", "--set", "Equ=a=b"},
        generate));
    EXPECT_EQ(generate.mode, OperatingMode::Fm);
    ASSERT_EQ(generate.settings.size(), 2u);
    EXPECT_EQ(generate.settings[1], std::make_pair(std::string("Equ"), std::string("a=b")));

    CliOptions edit;
    ASSERT_FALSE(ParseCommandLine({"edit", "smooth", "--anchors", "100", "400"}, edit));
    EXPECT_EQ(edit.anchors, std::make_pair(100.0, 400.0));
}

// --help and --version are shown through the built program below.
TEST(CliCommandLine, ManualNeedsNoCommand) {
    CliOptions options;
    EXPECT_FALSE(ParseCommandLine({"--help-man"}, options));
    EXPECT_EQ(options.request, CliOptions::Request::Manual);
    const std::string manual = CliCommandTable::Manual("1.0");
    EXPECT_EQ(manual.rfind(".TH WAVESMITH-CLI 1", 0), 0u);
    EXPECT_NE(manual.find(".B save\\-as FILE\n"), std::string::npos);
}

TEST(CliCommandLine, OptionsNotFromTheParserAreCheckedBeforeTheStartUp) {
    for (const auto& [command, words] :
         std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"length", {}}, {"info", {"extra"}}, {"frobnicate", {}}}) {
        CliOptions options;
        options.command = command;
        options.words = words;
        EXPECT_EQ(CliApp(options).Run(), CliApp::UsageError) << command;
    }
}

TEST(CliCommandLine, UsageErrorsLeaveTheRunLogAndTheBusAlone) {
    TempWorkspace workspace;
    const std::string log = workspace.Folder() + "Glyp.log";
    for (const char* arguments :
         {"--bogus info", "frobnicate", "length", "dump --txt", "--mode", "edit smooth --anchors 1",
          "--mode pulse pulse bogus", "--mode fm fm markers delete 0", "pulse show", "fm bar"}) {
        const std::string before = TempWorkspace::ReadFile(log);
        const ProgramRun run = RunProgram(workspace.Folder(), arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("usage: wavesmith-cli"), std::string::npos) << arguments;
        EXPECT_EQ(run.err.find("notify"), std::string::npos) << arguments;
        EXPECT_EQ(TempWorkspace::ReadFile(log), before) << arguments;
    }
    // The same workspace does log a run that starts, so the comparison above can fail.
    const std::string before = TempWorkspace::ReadFile(log);
    EXPECT_EQ(RunProgram(workspace.Folder(), "info").status, 0);
    EXPECT_NE(TempWorkspace::ReadFile(log), before);
}

TEST(CliCommandLine, HelpAndVersionPrintToStandardOutput) {
    TempWorkspace workspace;
    const ProgramRun help = RunProgram(workspace.Folder(), "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, CliCommandTable::Usage());
    const ProgramRun version = RunProgram(workspace.Folder(), "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("wavesmith-cli ", 0), 0u);
    EXPECT_TRUE(version.err.empty());
}
