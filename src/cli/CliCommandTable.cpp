#include "cli/CliCommandTable.h"

#include "cli/CliApp.h"
#include "cli/CliPulseCommands.h"
#include "core/ManualPage.h"
#include "document/DocumentMode.h"
#include "pulse/PulseTimeUnits.h"
#include "pulse/PulseTrainStyles.h"
#include "synthesis/WaveformKinds.h"

#include <algorithm>
#include <array>

namespace {

using O = CliCommand::Option;

const std::array kCommands{
    CliCommand{"paths", "", "the workspace's fixed paths", 0, O::kNoOptions, true, &CliApp::Paths},
    CliCommand{"info", "", "length, mode, channel, segment, path, range", 0, O::kNoOptions, true,
               &CliApp::Info},
    CliCommand{"new", "", "the New command: the default waveform", 0, O::kNoOptions, false,
               &CliApp::New},
    CliCommand{"open", "FILE", "the Open command with FILE as the file dialog's answer", 1,
               O::kNoOptions, false, &CliApp::Open},
    CliCommand{"save", "", "the Save command", 0, O::kNoOptions, false, &CliApp::Save},
    CliCommand{"save-as", "FILE", "the Save As command with FILE as the file dialog's answer", 1,
               O::kNoOptions, false, &CliApp::SaveAs},
    CliCommand{"undo", "", "the Undo command", 0, O::kNoOptions, false, &CliApp::Undo},
    CliCommand{"length", "N", "the waveform's length in points", 1, O::kNoOptions, false,
               &CliApp::Length},
    CliCommand{"segment", "N", "the active segment", 1, O::kNoOptions, false, &CliApp::Segment},
    CliCommand{"channel", "1|2", "the active channel", 1, O::kNoOptions, false, &CliApp::Channel},
    CliCommand{"eval", "TEXT [--from S] [--to E] [--amp A] [--period P]",
               "the equation TEXT at the points S..E, one value a line", 1, O::kRange, true,
               &CliApp::Eval},
    CliCommand{"generate", "NAME [--set KEY=TEXT]...", WaveformKinds::Words(" "), 1, O::kSet, false,
               &CliApp::Generate},
    CliCommand{"edit", "OP --anchors A B", "filter smooth invert trim-left trim-right", 1,
               O::kAnchors, false, &CliApp::Edit},
    CliCommand{"export", "FILE", "by extension: .wav .wvf .wfm .asc .asf .afm .csv", 1,
               O::kNoOptions, false, &CliApp::Export},
    CliCommand{"convert", "IN OUT", "convert a file without touching the workspace", 2,
               O::kNoOptions, false, &CliApp::Convert},
    CliCommand{"download", "", "the Download command of the mode (pulse: renders first)", 0,
               O::kNoOptions, true, &CliApp::Download},
    CliCommand{"dump", "[--text]", "the current samples, one a line", 0, O::kText, false,
               &CliApp::Dump},
    CliCommand{"pulse", "VERB [WORD]...",
               "the pulse designer (--mode pulse): show | cell LINE COL TEXT | line "
               "append|insert LINE|delete LINE|clear | section "
               "append|insert|delete|prev|next|select N|remove-all | train " +
                   PulseTrainStyles::Words("|", "|") + " | unit " +
                   PulseTimeUnits::Names("|", "|") +
                   " | repeat N | vpp TEXT | options [segmentation allowed|single|sequence | "
                   "memory unused|all]",
               CliCommand::kSubcommandWords, O::kNoOptions, true, &CliApp::Pulse,
               &CliPulseCommands::WordsProblem},
    CliCommand{"fm", "VERB [WORD]...",
               "the FM editor (--mode fm): deviation TEXT | markers [add TEXT | delete ROW | "
               "remove-all | sort asc|desc | list | store]... (without a final store the "
               "question at Close takes --yes or --no) | bar | crossings",
               CliCommand::kSubcommandWords, O::kNoOptions, false, &CliApp::Fm,
               &CliApp::FmWordsProblem},
};

constexpr const char* kSynopsis = "[--mode std|fm|pulse] [--yes|--no|--cancel] COMMAND ...";

std::string Call(const CliCommand& command) {
    std::string call = command.name;
    if (*command.synopsis != '\0') {
        call += ' ';
        call += command.synopsis;
    }
    return call;
}

} // namespace

std::span<const CliCommand> CliCommandTable::Commands() {
    return kCommands;
}

const CliCommand* CliCommandTable::Find(const std::string& name) {
    const auto found =
        std::find_if(kCommands.begin(), kCommands.end(),
                     [&name](const CliCommand& command) { return name == command.name; });
    return found == kCommands.end() ? nullptr : &*found;
}

std::string CliCommandTable::WordsProblem(const CliCommand& command,
                                          const std::vector<std::string>& words,
                                          OperatingMode mode) {
    const std::string name = command.name;
    if (command.words != CliCommand::kSubcommandWords) {
        return words.size() == command.words
                   ? std::string()
                   : name + " takes " + std::to_string(command.words) + " argument(s)";
    }
    if (words.empty()) {
        return name + " takes a subcommand";
    }
    // The options are checked before the family is known; the wide FM variant takes the
    // same commands as the FM editor.
    return command.checkWords != nullptr ? command.checkWords(words, DocumentMode::For(mode, false))
                                         : std::string();
}

std::string CliCommandTable::Usage() {
    constexpr std::size_t kColumn = 30;
    std::string text = std::string("usage: wavesmith-cli ") + kSynopsis +
                       "\n       wavesmith-cli --help | --version\ncommands:\n";
    for (const CliCommand& command : kCommands) {
        const std::string call = "  " + Call(command);
        text += call;
        text += call.size() < kColumn ? std::string(kColumn - call.size(), ' ')
                                      : "\n" + std::string(kColumn, ' ');
        text += command.summary;
        text += '\n';
    }
    return text;
}

std::string CliCommandTable::Manual(const std::string& version) {
    ManualPage page("wavesmith-cli", version, "the waveform composer's commands without a window");
    page.AddSynopsis(kSynopsis);
    page.AddSynopsis("--help | --version");
    page.StartSection("description");
    page.AddParagraph("Each run is one start-up with the current folder as the workspace, one "
                      "command and the document's close.");
    page.StartSection("options");
    page.AddItem("--mode std|fm|pulse", "the operating mode (std unless given)");
    page.AddItem("--yes, --no, --cancel",
                 "the answer to every question of the run (the first button unless given)");
    page.StartSection("commands");
    for (const CliCommand& command : kCommands) {
        page.AddItem(Call(command), command.summary);
    }
    page.StartSection("exit status");
    page.AddParagraph("0 done, 1 refused by a rule (after its message), 2 a usage error.");
    return page.Text();
}
