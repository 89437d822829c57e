// The pulse designer from a script: a design built section by section through the editor's
// own checks, the pulse options, and the render in the form the options choose.
#include "NumpyArrays.h"
#include "PulseParts.h"
#include "PythonWorkspace.h"

#include "core/StringTable.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseKeys.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseSequence.h"
#include "pulse/PulseTimeUnits.h"
#include "pulse/PulseTrainStyles.h"
#include "settings/IniText.h"
#include "settings/ProfileStore.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <optional>
#include <set>

namespace py = pybind11;
using namespace numpy_arrays;
using Kind = PythonFailure::Kind;

namespace {

const std::array<const char*, 3> kSegmentations{"allowed", "single", "sequence"};
const std::array<const char*, 2> kMemory{"unused", "all"};

[[noreturn]] void RaiseChoice(const char* what, const std::string& choices,
                              const std::string& name) {
    RaiseInput(std::string(what) + " is one of " + choices + ", not \"" + name + "\"");
}

template <std::size_t N>
int IndexOf(const std::array<const char*, N>& names, const std::string& name, const char* what) {
    for (std::size_t i = 0; i < N; ++i) {
        if (name == names[i]) {
            return static_cast<int>(i);
        }
    }
    std::string choices;
    for (const char* choice : names) {
        choices += (choices.empty() ? "" : ", ") + std::string(choice);
    }
    RaiseChoice(what, choices, name);
}

TrainStyle TrainNamed(const std::string& word) {
    if (const auto train = PulseTrainStyles::Named(word)) {
        return *train;
    }
    RaiseChoice("train", PulseTrainStyles::Words(", ", ", "), word);
}

PulseTimeUnit UnitNamed(const std::string& name) {
    if (const auto unit = PulseTimeUnits::Named(name)) {
        return *unit;
    }
    RaiseChoice("unit", PulseTimeUnits::Names(", ", ", "), name);
}

// One section as the editor's table shows it: times in the section's unit (for Time/Level
// Points counted from the design's start, as typed), levels in volts, each cell as text.
struct Section {
    std::string train = "points";
    std::string unit = "msec";
    std::string repeat = "1";
    std::vector<std::pair<std::string, std::string>> items;
    std::string start;    // read back: the Start the editor shows
    std::string duration; // read back: the Duration the editor shows

    bool operator==(const Section&) const = default;
};

std::string TextOf(const py::handle& value) {
    return py::str(value).cast<std::string>();
}

Section MakeSection(const std::string& train, const std::string& unit, const py::object& items,
                    const py::object& repeat) {
    Section section;
    TrainNamed(train);
    UnitNamed(unit);
    section.train = train;
    section.unit = unit;
    section.repeat = TextOf(repeat);
    for (const auto& item : items) {
        const auto pair = py::reinterpret_borrow<py::sequence>(item);
        if (py::len(pair) != 2) {
            RaiseInput("an item is a (time, level) pair");
        }
        section.items.emplace_back(TextOf(pair[0]), TextOf(pair[1]));
    }
    return section;
}

// The design and its editor as the view opens them (a first run writes the default design).
struct Designer {
    PulseDesign design;
    PulseEditor editor;

    explicit Designer(ToolSession& session)
        : design(session.Services()), editor(Opened(design, session.State().activeChannel)) {}

private:
    static PulseDesign& Opened(PulseDesign& design, int channel) {
        design.Open(channel);
        return design;
    }
};

void RequirePulse(ToolSession& session) {
    if (!session.Mode().RendersFromDesign()) {
        RaiseInput("the pulse designer needs a workspace in mode \"pulse\"");
    }
}

void EditCell(PulseEditor& editor, PythonUserInterface& ui, int line, int column,
              const std::string& text) {
    editor.BeginCellEdit(line, column);
    if (!editor.EndCellEdit(line, column, text)) {
        throw ui.Failure(Kind::Rule, "the cell text " + text + " was refused");
    }
}

void FillSection(PulseEditor& editor, PythonUserInterface& ui, const Section& section) {
    const TrainStyle train = TrainNamed(section.train);
    if (!PulseEditor::CanChooseTrain(train)) {
        RaiseInput("the Pulse Sequence style cannot be chosen: there are no pulse templates "
                   "to sequence");
    }
    if (train != editor.Train()) {
        editor.ChangeTrain(train);
    }
    editor.ChangeTimeUnit(UnitNamed(section.unit));
    // An empty section shows one blank line, which the first item fills.
    int line = 0;
    for (const auto& [time, level] : section.items) {
        if (line >= editor.LineCount()) {
            editor.AppendLine();
        }
        EditCell(editor, ui, line, 1, time);
        EditCell(editor, ui, line, 2, level);
        ++line;
    }
    editor.EditRepeat(section.repeat);
    if (!editor.ApplyRepeat()) {
        throw ui.Failure(Kind::Rule, "the repeat count " + section.repeat + " was refused");
    }
}

// The stored sections of one channel's design (its root, and every section of it the file
// holds or the new design will hold), taken under the file's lock before a script replaces
// the design. An entry the editor refuses puts them back in one rewrite, so that a script
// never leaves a design half entered.
class KeptDesign {
public:
    KeptDesign(ProfileStore& store, int channelNumber, std::size_t newSections) : store_(store) {
        const std::string root = PulseKeys::RootName(channelNumber);
        const std::string suffix = "-ch" + std::to_string(channelNumber);
        store_.UpdateProfileText(store_.ContextFile(), [&](std::string& text) {
            std::vector<std::string> names;
            for (std::size_t k = 0; k < newSections; ++k) {
                names.push_back(PulseKeys::SectionName(static_cast<int>(k), channelNumber));
            }
            for (const std::string& name : IniSectionNames(text)) {
                if (name == root || IsSectionOfChannel(name, suffix)) {
                    names.push_back(name);
                }
            }
            names.push_back(root);
            for (const std::string& name : names) {
                Keep(text, name);
            }
            return false; // read only
        });
    }

    bool PutBack() {
        return store_.UpdateProfileText(store_.ContextFile(), [this](std::string& text) {
            bool changed = false;
            for (const auto& [name, entries] : sections_) {
                changed = (entries ? ReplaceIniSection(text, name, *entries)
                                   : RemoveIniSection(text, name)) ||
                          changed;
            }
            return changed;
        });
    }

private:
    static bool IsSectionOfChannel(const std::string& name, const std::string& suffix) {
        const std::size_t digits = name.size() - std::min(name.size(), suffix.size());
        return name.size() > 5 + suffix.size() && name.compare(0, 5, "Pulse") == 0 &&
               name.compare(digits, suffix.size(), suffix) == 0 &&
               std::all_of(name.begin() + 5, name.begin() + static_cast<std::ptrdiff_t>(digits),
                           [](char c) { return c >= '0' && c <= '9'; });
    }

    void Keep(const std::string& text, const std::string& name) {
        if (kept_.insert(name).second) {
            sections_.emplace_back(name, HasIniSection(text, name)
                                             ? std::optional(ReadIniSection(text, name))
                                             : std::nullopt);
        }
    }

    ProfileStore& store_;
    std::set<std::string> kept_;
    std::vector<std::pair<std::string, std::optional<IniEntries>>> sections_;
};

void EnterDesign(Designer& designer, PythonUserInterface& asked,
                 const std::vector<Section>& sections, const std::optional<std::string>& vppText) {
    designer.editor.RemoveAllSections();
    if (vppText && !designer.design.ChangeAmplitude(*vppText)) {
        throw asked.Failure(Kind::Rule, "the amplitude " + *vppText + " was refused");
    }
    for (std::size_t k = 0; k < sections.size(); ++k) {
        if (k > 0 && !designer.editor.AppendSection()) {
            RaiseInput("section " + std::to_string(k) +
                       " is empty: no section follows an empty one");
        }
        FillSection(designer.editor, asked, sections[k]);
    }
}

void SetDesign(PythonWorkspace& workspace, const std::vector<Section>& sections,
               const std::optional<py::object>& vpp) {
    if (sections.empty()) {
        RaiseInput("a design has at least one section");
    }
    const std::optional<std::string> vppText =
        vpp ? std::optional<std::string>(TextOf(*vpp)) : std::nullopt;
    // "Remove all sections of the design?" is the one question with a text of its own.
    PythonUserInterface ui({{0, MessageAnswer::Yes}});
    workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
        RequirePulse(session);
        Designer designer(session);
        KeptDesign kept(session.Store(), session.State().activeChannel + 1, sections.size());
        try {
            EnterDesign(designer, asked, sections, vppText);
        } catch (...) {
            kept.PutBack();
            throw;
        }
        return 0;
    });
}

Section ShownSection(PulseEditor& editor) {
    Section section;
    section.train = PulseTrainStyles::Of(editor.Train()).word;
    section.unit = PulseTimeUnits::Name(editor.TimeUnit());
    section.repeat = editor.RepeatText();
    section.start = editor.StartText();
    section.duration = editor.DurationText();
    // A line exists once one of its cells is stored; the blank line of an empty section
    // is only shown.
    for (int line = 0; line < editor.LineCount(); ++line) {
        std::string time = editor.Cell(line, 1);
        std::string level = editor.Cell(line, 2);
        if (!time.empty() || !level.empty()) {
            section.items.emplace_back(std::move(time), std::move(level));
        }
    }
    return section;
}

py::tuple Design(PythonWorkspace& workspace) {
    PythonUserInterface ui;
    return workspace.Run(ui, [](ToolSession& session, PythonUserInterface&) {
        RequirePulse(session);
        Designer designer(session);
        const int active = designer.design.ActiveSection();
        std::vector<Section> sections;
        for (int k = 0; k < designer.design.SectionCount(); ++k) {
            designer.editor.SelectSection(k);
            sections.push_back(ShownSection(designer.editor));
        }
        designer.editor.SelectSection(active);
        return py::make_tuple(sections, designer.design.Vpp());
    });
}

py::dict PulseLimitsOf(PythonWorkspace& workspace) {
    PythonUserInterface ui;
    return workspace.Run(ui, [](ToolSession& session, PythonUserInterface&) {
        const PulseLimits limits = PulseLimits::Read(session.Services());
        py::dict out;
        out["vpts"] = limits.vpts;
        out["res_factor"] = limits.resFactor;
        out["min_seg_len"] = limits.minSegLen;
        out["max_wave_len"] = limits.maxWaveLen;
        out["max_loop_no"] = limits.maxLoopNo;
        out["max_sequ_stp"] = limits.maxSequStp;
        out["sclk_max"] = limits.sclkMax;
        if (limits.hasAmplitudeRange) {
            out["amplitude"] = py::make_tuple(limits.amplitudeLow, limits.amplitudeHigh);
        }
        return out;
    });
}

py::dict PulseOptionsOf(PythonWorkspace& workspace, const std::optional<std::string>& segmentation,
                        const std::optional<std::string>& memory) {
    // -1: left as it is.
    const int segmentationChoice =
        segmentation ? IndexOf(kSegmentations, *segmentation, "segmentation") : -1;
    const int memoryChoice = memory ? IndexOf(kMemory, *memory, "memory") : -1;
    PythonUserInterface ui;
    return workspace.Run(ui, [&](ToolSession& session, PythonUserInterface&) {
        RequirePulse(session);
        Designer designer(session);
        PulseOptions& options = designer.editor.Options();
        if (segmentationChoice >= 0 || memoryChoice >= 0) {
            options.BeginDialog();
            if (segmentationChoice >= 0) {
                options.SetDialogSegmentation(segmentationChoice);
            }
            if (memoryChoice >= 0) {
                options.SetDialogMemoryUse(memoryChoice);
            }
            options.Ok();
        }
        py::dict out;
        out["segmentation"] = kSegmentations[options.SegmentationChoice()];
        out["memory"] = kMemory[options.MemoryChoice()];
        return out;
    });
}

// What a render made: the clock, the segments as the files hold them and the step table.
struct Rendering {
    double clock = 0;
    double quantum = 0;
    int exponent = 0;
    bool asSequence = false;
    bool switchedToSequence = false;
    std::string summary;
    std::vector<std::string> files;                       // one per segment
    std::vector<std::pair<std::size_t, long long>> steps; // segment index, repeat
    py::list segments;                                    // int16 arrays
    long long memoryPoints = 0;
};

py::array_t<std::int16_t> ReadSegment(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        throw PythonFailure(Kind::File, "cannot read the rendered " + path);
    }
    const auto bytes = static_cast<std::size_t>(in.tellg());
    auto samples = Empty<std::int16_t>(bytes / 2);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(samples.mutable_data()),
            static_cast<std::streamsize>(bytes / 2 * 2));
    if (!in) {
        throw PythonFailure(Kind::File, "cannot read the rendered " + path);
    }
    return samples;
}

Rendering RenderingOf(const PulseRenderOutcome& outcome) {
    Rendering rendering;
    rendering.clock = outcome.sampleClock;
    rendering.quantum = outcome.quantum;
    rendering.exponent = outcome.exponent;
    rendering.asSequence = outcome.asSequence;
    rendering.switchedToSequence = outcome.switchedToSequence;
    rendering.summary = PulseRenderer::Summary(outcome);
    if (!outcome.asSequence) {
        rendering.files.push_back(outcome.singleFile);
        rendering.steps.emplace_back(0, 1);
    }
    std::map<std::string, std::size_t> indexOf;
    for (const PulseRenderStep& step : outcome.steps) {
        const auto [found, added] = indexOf.emplace(step.file, rendering.files.size());
        if (added) {
            rendering.files.push_back(step.file);
        }
        rendering.steps.emplace_back(found->second, step.repeat);
    }
    for (const std::string& file : rendering.files) {
        rendering.segments.append(ReadSegment(file));
    }
    rendering.memoryPoints = outcome.asSequence ? outcome.memoryPoints : outcome.lengthPoints;
    return rendering;
}

Rendering Render(PythonWorkspace& workspace, bool sequenceIfTooLong, bool lowerClock) {
    const auto answer = [](bool yes) { return yes ? MessageAnswer::Yes : MessageAnswer::No; };
    PythonUserInterface ui(
        std::map<int, MessageAnswer>{{MsgMemoryRestriction, answer(sequenceIfTooLong)},
                                     {MsgClockRestriction, answer(lowerClock)}});
    return workspace.Run(ui, [](ToolSession& session, PythonUserInterface& asked) {
        RequirePulse(session);
        Designer designer(session);
        session.Pulse().UseOptions(&designer.editor.Options());
        const PulseRenderOutcome outcome = session.Pulse().RenderOnly(asked);
        session.Pulse().UseOptions(nullptr);
        if (!outcome.succeeded) {
            if (outcome.tell) {
                throw asked.Failure(Kind::Render, outcome.problem);
            }
            // A question answered No: its message id goes with the reason.
            const auto& shown = asked.Messages();
            throw PythonFailure(Kind::Render, outcome.problem,
                                shown.empty() || !shown.back().question ? 0 : shown.back().id);
        }
        return RenderingOf(outcome);
    });
}

// The samples the instrument plays: every step's segment, repeat times.
py::array_t<std::int16_t> Played(const Rendering& rendering) {
    PulseSequencePlan plan;
    for (const auto& segment : rendering.segments) {
        const auto read = Read<std::int16_t>(segment, "segment");
        plan.segments.emplace_back(read.values.begin(), read.values.end());
    }
    for (const auto& [segment, repeat] : rendering.steps) {
        plan.steps.push_back({segment, repeat});
    }
    return Own(PulseSequence::Expand(plan));
}

} // namespace

void BindPulse(py::module_& module, py::class_<PythonWorkspace>& workspace) {
    py::class_<Section>(module, "Section",
                        R"(One section of a pulse design as the editor's table shows it.

train is "dc" (DC Intervals: each item a length and the level held for it) or "points"
(Time/Level Points: each item a node's time, counted from the design's start, and its
level); unit is "sec", "msec" or "usec", the unit of the times; items are (time, level)
pairs, numbers or texts as typed into the table; repeat is the section's Repeat. A section
read back also has its start and duration as the editor shows them.)")
        .def(py::init(&MakeSection), py::arg("train") = "points", py::arg("unit") = "msec",
             py::arg("items") = py::list(), py::arg("repeat") = 1)
        .def_readonly("train", &Section::train)
        .def_readonly("unit", &Section::unit)
        .def_readonly("repeat", &Section::repeat)
        .def_readonly("items", &Section::items)
        .def_readonly("start", &Section::start)
        .def_readonly("duration", &Section::duration)
        .def(
            "__eq__",
            [](const Section& section, const py::object& other) {
                return py::isinstance<Section>(other) && section == other.cast<const Section&>();
            },
            "Sections are equal when every field is, as typed or read back.")
        .def("__repr__", [](const Section& section) {
            return "Section(train=" + section.train + ", unit=" + section.unit +
                   ", repeat=" + section.repeat + ", " + std::to_string(section.items.size()) +
                   " items)";
        });
    py::class_<Rendering>(module, "Rendering", R"(A rendered pulse design.

clock is the sample clock (S/s), quantum and exponent the time quantum it came from;
as_sequence tells the form; segments are the int16 waveforms as the written files hold
them (files: their paths), steps the table of (segment index, repeat) pairs (one step for
a single segment); played() gives the samples the instrument plays.)")
        .def_readonly("clock", &Rendering::clock)
        .def_readonly("quantum", &Rendering::quantum)
        .def_readonly("exponent", &Rendering::exponent)
        .def_readonly("as_sequence", &Rendering::asSequence)
        .def_readonly("switched_to_sequence", &Rendering::switchedToSequence)
        .def_readonly("summary", &Rendering::summary)
        .def_readonly("files", &Rendering::files)
        .def_readonly("steps", &Rendering::steps)
        .def_readonly("segments", &Rendering::segments)
        .def_readonly("memory_points", &Rendering::memoryPoints)
        .def("played", &Played, "Every step's segment, repeat times, as one int16 array.")
        .def("__repr__", [](const Rendering& rendering) { return rendering.summary; });
    workspace
        .def("set_design", &SetDesign, py::arg("sections"), py::kw_only(),
             py::arg("vpp") = py::none(),
             R"(Replaces the active channel's design by these sections, entered through the
pulse editor with its checks (RuleError with messages 980 to 991, 985 for a Repeat, 3018
and 3019 for vpp). vpp, the design's amplitude in volts, is set first. A refused entry
leaves the stored design as it was before the call.)")
        .def("design", &Design,
             "The active channel's design: (sections, vpp), the sections as the editor shows "
             "them. Each section is shown in the editor in turn, as a click on its label "
             "shows it (a section without a stored Repeat gets \"1\"), then the active one "
             "again.")
        .def("pulse_limits", &PulseLimitsOf,
             "The family's limits the design is rendered against (vpts: the highest code).")
        .def("pulse_options", &PulseOptionsOf, py::kw_only(), py::arg("segmentation") = py::none(),
             py::arg("memory") = py::none(),
             R"(The pulse options, set as the options dialog's OK sets them when given:
segmentation "allowed", "single" or "sequence", memory "unused" or "all".)")
        .def("render", &Render, py::kw_only(), py::arg("sequence_if_too_long") = true,
             py::arg("lower_clock") = true,
             R"(Renders the active channel's design in the form the pulse options choose,
writing its files in the workspace as the Download does, and returns a Rendering.

sequence_if_too_long answers question 3023 (the single segment does not fit: take the
sequence form?), lower_clock question 3024 (the clock is above the instrument's: render
at a lower one?). RenderError when the design cannot be rendered or an answer is No.)");
}
