#include "cli/CliPulseCommands.h"

#include "app/ToolSession.h"
#include "cli/CliApp.h"
#include "cli/CliPulseRender.h"
#include "core/AppState.h"
#include "document/DocumentMode.h"
#include "pulse/PulseTimeUnits.h"
#include "pulse/PulseTrainStyles.h"
#include "settings/NumberFormat.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>

namespace {

constexpr int kDone = CliApp::Success;
constexpr int kRefused = CliApp::Refused;
constexpr int kUsage = CliApp::UsageError;

int UsageError(const std::string& text) {
    std::fprintf(stderr, "wavesmith-cli: pulse %s\n%s", text.c_str(),
                 ("pulse " + CliPulseCommands::Synopsis() + "\n").c_str());
    return kUsage;
}

int RefusedBecause(const std::string& text) {
    std::fprintf(stderr, "wavesmith-cli: %s\n", text.c_str());
    return kRefused;
}

// A whole number in low..high, or nullopt.
std::optional<int> WholeIn(const std::string& text, int low, int high) {
    const char* cursor = text.c_str();
    int value = 0;
    if (!ReadLeadingInt(cursor, text.c_str() + text.size(), value) ||
        cursor != text.c_str() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// A line or section number: how many there are, only the design knows.
std::optional<int> Ordinal(const std::string& text) {
    return WholeIn(text, 1, INT_MAX);
}

const char* const kSegmentations[] = {"allowed", "single", "sequence"};
const char* const kMemory[] = {"unused", "all"};

template <std::size_t N>
std::optional<int> IndexOf(const char* const (&names)[N], const std::string& name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (name == names[i]) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

using Words = std::vector<std::string>;

std::string CellProblem(const Words& w) {
    return Ordinal(w[0]) && WholeIn(w[1], 1, 2)
               ? std::string()
               : "cell takes a line from 1 and a column 1 (time) or 2 (level)";
}

std::string LineProblem(const Words& w) {
    if (w.size() == 1 && (w[0] == "append" || w[0] == "clear")) {
        return {};
    }
    if (w.size() != 2 || (w[0] != "insert" && w[0] != "delete")) {
        return "line takes append, insert LINE, delete LINE or clear";
    }
    return Ordinal(w[1]) ? std::string() : "line " + w[0] + " takes a line from 1";
}

std::string SectionProblem(const Words& w) {
    static const std::vector<std::string> kAlone = {"append", "insert", "delete",
                                                    "prev",   "next",   "remove-all"};
    if (w.size() == 2 && w[0] == "select") {
        return Ordinal(w[1]) ? std::string() : "section select takes a section from 1";
    }
    if (w.size() != 1) {
        return "section takes append, insert, delete, prev, next, select N or remove-all";
    }
    return std::find(kAlone.begin(), kAlone.end(), w[0]) != kAlone.end()
               ? std::string()
               : "section has no verb " + w[0];
}

std::string TrainProblem(const Words& w) {
    return PulseTrainStyles::Named(w[0]) ? std::string()
                                         : "train takes " + PulseTrainStyles::Words(", ", " or ");
}

std::string UnitProblem(const Words& w) {
    return PulseTimeUnits::Named(w[0]) ? std::string()
                                       : "unit takes " + PulseTimeUnits::Names(", ", " or ");
}

// The choices of "options": segmentation, memory or both, each named once.
struct OptionChoices {
    std::optional<int> segmentation;
    std::optional<int> memory;
};

std::optional<OptionChoices> ReadOptionChoices(const Words& w) {
    if (w.size() % 2 != 0) {
        return std::nullopt;
    }
    OptionChoices choices;
    for (std::size_t i = 0; i < w.size(); i += 2) {
        std::optional<int>* slot = nullptr;
        std::optional<int> choice;
        if (w[i] == "segmentation") {
            slot = &choices.segmentation;
            choice = IndexOf(kSegmentations, w[i + 1]);
        } else if (w[i] == "memory") {
            slot = &choices.memory;
            choice = IndexOf(kMemory, w[i + 1]);
        }
        if (slot == nullptr || !choice || slot->has_value()) {
            return std::nullopt;
        }
        *slot = choice;
    }
    return choices;
}

std::string OptionsProblem(const Words& w) {
    return ReadOptionChoices(w) ? std::string()
                                : "options takes segmentation allowed|single|sequence, memory "
                                  "unused|all or both";
}

const std::array kVerbs{
    CliPulseCommands::Verb{"show", "", 0, nullptr,
                           [](CliPulseCommands& c, const Words&) { return c.Show(); }},
    CliPulseCommands::Verb{"cell", "LINE COL TEXT", 3, CellProblem,
                           [](CliPulseCommands& c, const Words& w) { return c.Cell(w); }},
    CliPulseCommands::Verb{"line", "append|insert LINE|delete LINE|clear",
                           CliPulseCommands::kAnyWords, LineProblem,
                           [](CliPulseCommands& c, const Words& w) { return c.Line(w); }},
    CliPulseCommands::Verb{"section", "append|insert|delete|prev|next|select N|remove-all",
                           CliPulseCommands::kAnyWords, SectionProblem,
                           [](CliPulseCommands& c, const Words& w) { return c.Section(w); }},
    CliPulseCommands::Verb{"train", PulseTrainStyles::Words("|", "|"), 1, TrainProblem,
                           [](CliPulseCommands& c, const Words& w) { return c.Train(w[0]); }},
    CliPulseCommands::Verb{"unit", PulseTimeUnits::Names("|", "|"), 1, UnitProblem,
                           [](CliPulseCommands& c, const Words& w) { return c.Unit(w[0]); }},
    CliPulseCommands::Verb{"repeat", "N", 1, nullptr,
                           [](CliPulseCommands& c, const Words& w) { return c.Repeat(w[0]); }},
    CliPulseCommands::Verb{"vpp", "TEXT", 1, nullptr,
                           [](CliPulseCommands& c, const Words& w) { return c.Vpp(w[0]); }},
    CliPulseCommands::Verb{"options", "[segmentation allowed|single|sequence] [memory unused|all]",
                           CliPulseCommands::kAnyWords, OptionsProblem,
                           [](CliPulseCommands& c, const Words& w) { return c.Options(w); }},
    CliPulseCommands::Verb{"render", "", 0, nullptr,
                           [](CliPulseCommands& c, const Words&) {
                               return CliPulseRender::Run(c.Session(), c.Editor().Options());
                           }},
};

const CliPulseCommands::Verb* FindVerb(const std::string& name) {
    for (const CliPulseCommands::Verb& verb : kVerbs) {
        if (name == verb.name) {
            return &verb;
        }
    }
    return nullptr;
}

// The view opens the design before it makes the editor on it.
PulseDesign& Opened(PulseDesign& design, int channel) {
    design.Open(channel);
    return design;
}

} // namespace

CliPulseCommands::CliPulseCommands(ToolSession& session)
    : session_(session), design_(session.Services()),
      editor_(Opened(design_, session.State().activeChannel)) {}

// The words fit and the mode is pulse: the command table checked them before the start-up.
int CliApp::Pulse(ToolSession&, ConsoleUserInterface&) {
    return pulse_->Run(options_.words);
}

std::span<const CliPulseCommands::Verb> CliPulseCommands::Verbs() {
    return kVerbs;
}

std::string CliPulseCommands::Synopsis() {
    std::string text;
    for (const Verb& verb : kVerbs) {
        text += text.empty() ? "" : " | ";
        text += verb.name;
        if (!verb.synopsis.empty()) {
            text += " " + verb.synopsis;
        }
    }
    return text;
}

std::string CliPulseCommands::WordsProblem(const std::vector<std::string>& words,
                                           const DocumentMode& mode) {
    if (!mode.RendersFromDesign()) {
        return "pulse needs --mode pulse";
    }
    const Verb* verb = FindVerb(words[0]);
    if (verb == nullptr) {
        return "pulse has no verb " + words[0];
    }
    const Words rest(words.begin() + 1, words.end());
    if (verb->words != kAnyWords && rest.size() != verb->words) {
        return "pulse " + std::string(verb->name) + " takes " + std::to_string(verb->words) +
               " word(s)";
    }
    const std::string problem = verb->check != nullptr ? verb->check(rest) : std::string();
    return problem.empty() ? problem : "pulse " + problem;
}

int CliPulseCommands::Run(const std::vector<std::string>& words) {
    return FindVerb(words[0])->run(*this, Words(words.begin() + 1, words.end()));
}

int CliPulseCommands::Show() {
    std::printf("%s\n", editor_.Title().c_str());
    std::printf("unit=%s\n", PulseTimeUnits::Name(editor_.TimeUnit()));
    std::printf("start=%s\n", editor_.StartText().c_str());
    std::printf("duration=%s\n", editor_.DurationText().c_str());
    std::printf("repeat=%s\n", editor_.RepeatText().c_str());
    for (int line = 0; line < editor_.LineCount(); ++line) {
        std::printf("%s\t%s\t%s\n", editor_.Cell(line, 0).c_str(), editor_.Cell(line, 1).c_str(),
                    editor_.Cell(line, 2).c_str());
    }
    return kDone;
}

// A line after the last one is appended first: a line the table only shows is not
// stored until one of its cells is, so across runs an edit of the next line is how a
// line is added.
int CliPulseCommands::Cell(const std::vector<std::string>& words) {
    const std::optional<int> line = WholeIn(words[0], 1, editor_.LineCount() + 1);
    const std::optional<int> column = WholeIn(words[1], 1, 2);
    if (!line) {
        return UsageError("cell takes a line from 1 to " + std::to_string(editor_.LineCount() + 1) +
                          " and a column 1 (time) or 2 (level)");
    }
    if (*line > editor_.LineCount()) {
        editor_.AppendLine();
    }
    editor_.BeginCellEdit(*line - 1, *column);
    return editor_.EndCellEdit(*line - 1, *column, words[2]) ? kDone : kRefused;
}

int CliPulseCommands::Line(const std::vector<std::string>& words) {
    if (words.size() == 1 && words[0] == "append") {
        editor_.AppendLine();
        std::fprintf(stderr,
                     "wavesmith-cli: the new line is stored with its first cell "
                     "(pulse cell %d ...)\n",
                     editor_.LineCount());
        return kDone;
    }
    if (words.size() == 1 && words[0] == "clear") {
        editor_.ClearAllLines();
        return kDone;
    }
    const std::optional<int> line = WholeIn(words[1], 1, editor_.LineCount());
    if (!line) {
        return UsageError("line " + words[0] + " takes a line from 1 to " +
                          std::to_string(editor_.LineCount()));
    }
    editor_.SelectLine(*line - 1);
    if (words[0] == "insert") {
        return editor_.InsertLine()
                   ? kDone
                   : RefusedBecause("no line is inserted next to a line with an empty cell");
    }
    return editor_.DeleteLine() ? kDone : RefusedBecause("the section has no stored lines");
}

int CliPulseCommands::Section(const std::vector<std::string>& words) {
    const std::string verb = words.empty() ? "" : words[0];
    if (verb == "select" && words.size() == 2) {
        const std::optional<int> k = WholeIn(words[1], 1, design_.SectionCount());
        if (!k) {
            return UsageError("section select takes a section from 1 to " +
                              std::to_string(design_.SectionCount()));
        }
        editor_.SelectSection(*k - 1);
        return kDone;
    }
    if (verb == "append") {
        return editor_.AppendSection() ? kDone
                                       : RefusedBecause("no section follows an empty section");
    }
    if (verb == "insert") {
        return editor_.InsertSection()
                   ? kDone
                   : RefusedBecause("no section is inserted next to an empty section");
    }
    if (verb == "delete") {
        editor_.DeleteSection();
        return kDone;
    }
    if (verb == "prev" || verb == "next") {
        const bool moved = verb == "prev" ? editor_.PreviousSection() : editor_.NextSection();
        return moved ? kDone : RefusedBecause("there is no " + verb + " section");
    }
    return editor_.RemoveAllSections() ? kDone : kRefused;
}

int CliPulseCommands::Train(const std::string& name) {
    const TrainStyle train = *PulseTrainStyles::Named(name);
    if (!PulseEditor::CanChooseTrain(train)) {
        return RefusedBecause("the Pulse Sequence style cannot be chosen: there are no pulse "
                              "templates to sequence");
    }
    if (train == editor_.Train()) {
        return kDone;
    }
    return editor_.ChangeTrain(train) ? kDone : kRefused;
}

int CliPulseCommands::Unit(const std::string& name) {
    editor_.ChangeTimeUnit(*PulseTimeUnits::Named(name));
    return kDone;
}

int CliPulseCommands::Repeat(const std::string& text) {
    editor_.EditRepeat(text);
    return editor_.ApplyRepeat() ? kDone : kRefused;
}

int CliPulseCommands::Vpp(const std::string& text) {
    return design_.ChangeAmplitude(text) ? kDone : kRefused;
}

int CliPulseCommands::Options(const std::vector<std::string>& words) {
    PulseOptions& options = editor_.Options();
    if (words.empty()) {
        std::printf("segmentation=%s\n", kSegmentations[options.SegmentationChoice()]);
        std::printf("memory=%s\n", kMemory[options.MemoryChoice()]);
        std::printf("single-stepping=%u\n", options.SingleStepping());
        return kDone;
    }
    const OptionChoices choices = *ReadOptionChoices(words);
    options.BeginDialog();
    if (choices.segmentation) {
        options.SetDialogSegmentation(*choices.segmentation);
    }
    if (choices.memory) {
        options.SetDialogMemoryUse(*choices.memory);
    }
    options.Ok();
    return kDone;
}
