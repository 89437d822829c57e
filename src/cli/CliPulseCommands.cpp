#include "cli/CliPulseCommands.h"

#include "app/ToolSession.h"
#include "cli/CliApp.h"
#include "cli/CliPulseRender.h"
#include "core/AppState.h"
#include "settings/NumberFormat.h"

#include <array>
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

const char* const kUnits[] = {"sec", "msec", "usec"};
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

const std::array kVerbs{
    CliPulseCommands::Verb{"show", "", 0,
                           [](CliPulseCommands& c, const Words&) { return c.Show(); }},
    CliPulseCommands::Verb{"cell", "LINE COL TEXT", 3,
                           [](CliPulseCommands& c, const Words& w) { return c.Cell(w); }},
    CliPulseCommands::Verb{"line", "append|insert LINE|delete LINE|clear",
                           CliPulseCommands::kAnyWords,
                           [](CliPulseCommands& c, const Words& w) { return c.Line(w); }},
    CliPulseCommands::Verb{"section", "append|insert|delete|prev|next|select N|remove-all",
                           CliPulseCommands::kAnyWords,
                           [](CliPulseCommands& c, const Words& w) { return c.Section(w); }},
    CliPulseCommands::Verb{"train", "dc|points|sequence", 1,
                           [](CliPulseCommands& c, const Words& w) { return c.Train(w[0]); }},
    CliPulseCommands::Verb{"unit", "sec|msec|usec", 1,
                           [](CliPulseCommands& c, const Words& w) { return c.Unit(w[0]); }},
    CliPulseCommands::Verb{"repeat", "N", 1,
                           [](CliPulseCommands& c, const Words& w) { return c.Repeat(w[0]); }},
    CliPulseCommands::Verb{"vpp", "TEXT", 1,
                           [](CliPulseCommands& c, const Words& w) { return c.Vpp(w[0]); }},
    CliPulseCommands::Verb{"options", "[segmentation allowed|single|sequence | memory unused|all]",
                           CliPulseCommands::kAnyWords,
                           [](CliPulseCommands& c, const Words& w) { return c.Options(w); }},
    CliPulseCommands::Verb{"render", "", 0,
                           [](CliPulseCommands& c, const Words&) {
                               return CliPulseRender::Run(c.Session(), c.Editor().Options());
                           }},
};

// The view opens the design before it makes the editor on it.
PulseDesign& Opened(PulseDesign& design, int channel) {
    design.Open(channel);
    return design;
}

} // namespace

CliPulseCommands::CliPulseCommands(ToolSession& session)
    : session_(session), design_(session.Services()),
      editor_(Opened(design_, session.State().activeChannel)) {}

int CliApp::Pulse(ToolSession&, ConsoleUserInterface&) {
    if (pulse_ == nullptr) {
        std::fprintf(stderr, "wavesmith-cli: pulse needs --mode pulse\n");
        return UsageError;
    }
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
        if (*verb.synopsis != '\0') {
            text += std::string(" ") + verb.synopsis;
        }
    }
    return text;
}

int CliPulseCommands::Run(const std::vector<std::string>& words) {
    if (words.empty()) {
        return UsageError("takes a verb");
    }
    for (const Verb& verb : kVerbs) {
        if (words[0] != verb.name) {
            continue;
        }
        const Words rest(words.begin() + 1, words.end());
        if (verb.words != kAnyWords && rest.size() != verb.words) {
            return UsageError(std::string(verb.name) + " takes " + std::to_string(verb.words) +
                              " word(s)");
        }
        return verb.run(*this, rest);
    }
    return UsageError("has no verb " + words[0]);
}

int CliPulseCommands::Show() {
    std::printf("%s\n", editor_.Title().c_str());
    std::printf("unit=%s\n", kUnits[editor_.TimeUnit()]);
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
    if (!line || !column) {
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
    if (words.size() != 2 || (words[0] != "insert" && words[0] != "delete")) {
        return UsageError("line takes append, insert LINE, delete LINE or clear");
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
    if (words.size() != 1) {
        return UsageError("section takes append, insert, delete, prev, next, select N or "
                          "remove-all");
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
    if (verb == "remove-all") {
        return editor_.RemoveAllSections() ? kDone : kRefused;
    }
    return UsageError("section has no verb " + verb);
}

int CliPulseCommands::Train(const std::string& name) {
    const char* const names[] = {"dc", "points", "sequence"};
    const std::optional<int> style = IndexOf(names, name);
    if (!style) {
        return UsageError("train takes dc, points or sequence");
    }
    const TrainStyle train = static_cast<TrainStyle>(*style);
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
    const std::optional<int> unit = IndexOf(kUnits, name);
    if (!unit) {
        return UsageError("unit takes sec, msec or usec");
    }
    editor_.ChangeTimeUnit(*unit);
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
    const std::optional<int> segmentation = words.size() == 2 && words[0] == "segmentation"
                                                ? IndexOf(kSegmentations, words[1])
                                                : std::nullopt;
    const std::optional<int> memory =
        words.size() == 2 && words[0] == "memory" ? IndexOf(kMemory, words[1]) : std::nullopt;
    if (!segmentation && !memory) {
        return UsageError("options takes segmentation allowed|single|sequence or memory "
                          "unused|all");
    }
    options.BeginDialog();
    if (segmentation) {
        options.SetDialogSegmentation(*segmentation);
    } else {
        options.SetDialogMemoryUse(*memory);
    }
    options.Ok();
    return kDone;
}
