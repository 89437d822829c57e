// Workspace: the document commands, the standard waveforms, the waveform files and the FM
// editor, each call one run of the tool in the workspace folder.
#include "ModuleParts.h"
#include "NumpyArrays.h"
#include "PulseParts.h"
#include "PythonWorkspace.h"

#include "document/FileCommands.h"
#include "document/FormatConverter.h"
#include "document/SegmentCommands.h"
#include "fm/FmMarkersDialog.h"
#include "settings/FileHelpers.h"
#include "settings/NumberFormat.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/WaveParamDialog.h"
#include "synthesis/WaveformKinds.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace py = pybind11;
using namespace numpy_arrays;
using Kind = PythonFailure::Kind;

namespace {

OperatingMode ModeOfName(const std::string& name) {
    const std::optional<OperatingMode> mode = ModeOfWord(name);
    if (!mode) {
        RaiseInput("mode is \"std\", \"fm\" or \"pulse\", not \"" + name + "\"");
    }
    return *mode;
}

std::string AbsolutePath(const std::filesystem::path& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// A copy of the samples: the document's buffer goes with its run.
py::array ArrayOf(const SampleBuffer& samples) {
    switch (samples.Kind()) {
    case SampleKind::Code32: {
        auto array = Empty<std::int32_t>(samples.Size());
        std::memcpy(array.mutable_data(), samples.Bytes(), samples.ByteSize());
        return array;
    }
    case SampleKind::Hz64: {
        auto array = Empty<double>(samples.Size());
        std::memcpy(array.mutable_data(), samples.Bytes(), samples.ByteSize());
        return array;
    }
    default: {
        auto array = Empty<std::int16_t>(samples.Size());
        std::memcpy(array.mutable_data(), samples.Bytes(), samples.ByteSize());
        return array;
    }
    }
}

// A binary waveform file read straight into a new array of the kind.
py::array ReadBinary(const std::string& path, SampleKind kind, std::uintmax_t bytes) {
    const std::size_t points = bytes / static_cast<std::uintmax_t>(ElementWidth(kind));
    py::array samples = kind == SampleKind::Code32 ? py::array(Empty<std::int32_t>(points))
                        : kind == SampleKind::Hz64 ? py::array(Empty<double>(points))
                                                   : py::array(Empty<std::int16_t>(points));
    std::FILE* in = std::fopen(path.c_str(), "rb");
    const std::size_t got = in == nullptr ? 0 : std::fread(samples.mutable_data(), 1, bytes, in);
    if (in != nullptr) {
        std::fclose(in);
    }
    if (got != bytes) {
        throw PythonFailure(Kind::File, "cannot read " + path);
    }
    return samples;
}

// The document's waveform. The file it was loaded from or committed to is read once the run
// has ended, so that the document's buffer and the returned array never exist together; a
// copy is taken in the run when the file does not hold exactly the samples.
struct Waveform {
    std::string path;
    SampleKind kind = SampleKind::Code16;
    std::uintmax_t bytes = 0;
    std::optional<py::array> copy;

    static Waveform Of(const WaveDoc& document) {
        Waveform waveform;
        waveform.path = document.CurrentPath();
        waveform.kind = document.Samples().Kind();
        waveform.bytes = document.Samples().ByteSize();
        std::error_code error;
        if (std::filesystem::file_size(waveform.path, error) != waveform.bytes || error) {
            waveform.copy = ArrayOf(document.Samples());
        }
        return waveform;
    }
    py::array Take() const { return copy ? *copy : ReadBinary(path, kind, bytes); }
};

// The samples of the mode's kind, read from the caller's array.
SampleBuffer BufferOf(const py::object& object, SampleKind kind) {
    SampleBuffer samples(kind);
    const auto assign = [&samples](auto read) {
        samples.AssignBytes(read.values.size(), read.values.data());
    };
    switch (kind) {
    case SampleKind::Code32:
        assign(Read<std::int32_t>(object, "samples"));
        break;
    case SampleKind::Hz64: {
        const auto read = Read<double>(object, "samples");
        RequireFinite(read.values, "samples");
        assign(read);
        break;
    }
    default:
        assign(Read<std::int16_t>(object, "samples"));
        break;
    }
    return samples;
}

std::string TextOf(const py::handle& value) {
    return py::str(value).cast<std::string>();
}

py::dict Info(PythonWorkspace& workspace) {
    PythonUserInterface ui;
    return workspace.Run(ui, [](ToolSession& session, PythonUserInterface&) {
        const AppState& state = session.State();
        WaveDoc& document = session.Document();
        const FamilyLimits& limits = document.Limits();
        py::dict info;
        info["mode"] = ModeWord(state.mode);
        info["family"] = state.familyName;
        info["channel"] = state.activeChannel + 1;
        info["segment"] = state.activeSegment;
        info["length"] = static_cast<long long>(document.Length());
        info["path"] = document.CurrentPath();
        info["lengths"] = py::make_tuple(static_cast<long long>(limits.LengthLow()),
                                         static_cast<long long>(limits.LengthHigh()));
        info["range"] = py::make_tuple(limits.VerticalLow(), limits.VerticalHigh());
        info["resolution"] = limits.ResolutionFactor();
        info["channels"] = limits.ChannelCount();
        return info;
    });
}

py::array Samples(PythonWorkspace& workspace) {
    PythonUserInterface ui;
    return workspace
        .Run(ui, [](ToolSession& session,
                    PythonUserInterface&) { return Waveform::Of(session.Document()); })
        .Take();
}

void RequirePlainMode(ToolSession& session, const char* what) {
    if (session.Mode().RendersFromDesign()) {
        RaiseInput(std::string(what) +
                   " is not available in pulse mode: the pulse designer has no waveform until "
                   "its design is rendered");
    }
}

void SetLength(PythonWorkspace& workspace, long long points) {
    PythonUserInterface ui;
    workspace.Run(ui, [points](ToolSession& session, PythonUserInterface& asked) {
        RequirePlainMode(session, "set_length");
        WaveDoc& document = session.Document();
        // The resolution rule may round the length (after its question): a changed length
        // was taken, as the length field takes it.
        const double before = document.Length();
        document.SetLength(std::to_string(points));
        if (document.Length() == before && before != static_cast<double>(points)) {
            throw asked.Failure(Kind::Rule,
                                "the length " + std::to_string(points) + " was not taken");
        }
        return 0;
    });
}

void SelectSegment(PythonWorkspace& workspace, int segment, std::optional<int> channel) {
    PythonUserInterface ui;
    workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
        if (channel) {
            if (*channel != 1 && *channel != 2) {
                RaiseInput("channel is 1 or 2");
            }
            if (!session.Segments().ChannelCommandEnabled()) {
                throw PythonFailure(Kind::Rule, "the instrument has one channel");
            }
            session.Segments().OnChannelCommand(SegmentCommands::kChannel1Command + *channel - 1);
        }
        if (segment > 0) {
            if (session.Mode().PseudoSegment()) {
                RaiseInput("the FM waveform is a single pseudo-segment");
            }
            session.Segments().OnSegmentField(std::to_string(segment));
            if (session.State().activeSegment != segment) {
                throw asked.Failure(Kind::Rule,
                                    "segment " + std::to_string(segment) + " cannot be selected");
            }
        }
        return 0;
    });
}

py::array Generate(PythonWorkspace& workspace, const std::string& name,
                   const std::optional<py::dict>& fields, const py::kwargs& more) {
    const auto command = GeneratorCommands::CommandOfName(name);
    if (!command) {
        RaiseInput("no waveform named " + name + " (" + WaveformKinds::Words(", ") + ")");
    }
    GeneratorCommands::FieldTexts texts;
    for (const py::dict* given :
         {fields ? &*fields : nullptr, static_cast<const py::dict*>(&more)}) {
        if (given == nullptr) {
            continue;
        }
        for (const auto& [key, value] : *given) {
            texts.emplace_back(TextOf(key), TextOf(value));
        }
    }
    PythonUserInterface ui;
    const Waveform waveform =
        workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
            RequirePlainMode(session, "generate");
            const auto result = GeneratorCommands::Run(session.Document(), *command, texts);
            switch (result.outcome) {
            case GeneratorCommands::Outcome::Done:
                return Waveform::Of(session.Document());
            case GeneratorCommands::Outcome::UnknownKey:
                RaiseInput("the " + name + " form has no field " + result.unknownKey);
            default:
                throw asked.Failure(Kind::Rule, "the " + name + " form refused its fields");
            }
        });
    return waveform.Take();
}

py::list GeneratorFields(PythonWorkspace& workspace, const std::string& name) {
    const WaveformKind* kind = WaveformKinds::Named(name);
    if (kind == nullptr || kind->makeParamForm == nullptr) {
        RaiseInput("no standard waveform named " + name + " (" + WaveformKinds::Words(", ", true) +
                   ")");
    }
    PythonUserInterface ui;
    return workspace.Run(ui, [&](ToolSession& session, PythonUserInterface&) {
        RequirePlainMode(session, "generator_fields");
        auto form = kind->makeParamForm(session.Document());
        form->Initialize();
        py::list fields;
        for (int i = 0; i < form->FieldCount(); ++i) {
            const WaveField& field = form->Field(i);
            py::dict entry;
            entry["key"] = field.key;
            entry["label"] = field.label;
            entry["unit"] = field.unit;
            entry["text"] = field.isCheckBox ? (field.checked ? "1" : "0") : field.text;
            entry["low"] = field.low;
            entry["high"] = field.high;
            fields.append(entry);
        }
        form->Cancel();
        return fields;
    });
}

// The file as the mode's binary waveform: text and traces converted as Open converts them.
py::array ReadFile(PythonWorkspace& workspace, const std::filesystem::path& given) {
    PythonUserInterface ui;
    return workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
        AppServices& services = session.Services();
        WaveDoc& document = session.Document();
        std::string path = AbsolutePath(given);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            throw PythonFailure(Kind::File, "no file " + path);
        }
        FormatConverter converter(services.state, services.store, session.Mode());
        const auto result = converter.ConvertToBinary(
            path, -1, {document.Limits().VerticalLow(), document.Limits().VerticalHigh()});
        if (result == ConversionResult::NotConvertible || path.empty()) {
            throw asked.Failure(Kind::File, "the file cannot be read as a waveform of this mode");
        }
        const SampleKind kind = document.Samples().Kind();
        const auto width = static_cast<std::uintmax_t>(ElementWidth(kind));
        const auto bytes = std::filesystem::file_size(path, error);
        if (error || bytes == 0 || bytes % width != 0) {
            throw PythonFailure(Kind::File, path + " is not a waveform of " +
                                                std::to_string(width) + "-byte samples");
        }
        const long long points = RecordCount(path, static_cast<int>(width));
        if (document.Limits().RefuseOversize(services, path, points)) {
            throw asked.Failure(Kind::File, "the file is too long");
        }
        return ReadBinary(path, kind, bytes);
    });
}

void WriteFile(PythonWorkspace& workspace, const std::filesystem::path& given,
               const py::object& array, bool replace) {
    PythonUserInterface ui({{0, replace ? MessageAnswer::Yes : MessageAnswer::No}});
    workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
        const std::string path = AbsolutePath(given);
        const SampleBuffer samples = BufferOf(array, session.Mode().Kind());
        const FamilyLimits& limits = session.Document().Limits();
        if (!limits.LengthInRange(samples.Length())) {
            RaiseInput("the waveform has " + std::to_string(samples.Size()) +
                       " points; the family takes " +
                       std::to_string(static_cast<long long>(limits.LengthLow())) + " to " +
                       std::to_string(static_cast<long long>(limits.LengthHigh())));
        }
        if (!FileCommands::ExportSamples(samples, path, session.Services().ui, session.Mode())) {
            throw asked.Failure(Kind::File, path + " was not written");
        }
        return 0;
    });
}

py::dict FmWindowOf(const FmSettings& fm, const std::string& text) {
    py::dict window;
    window["text"] = text;
    window["deviation"] = fm.Deviation();
    window["base"] = fm.Base();
    window["fmin"] = fm.Fmin();
    window["fmax"] = fm.Fmax();
    return window;
}

void RequireFm(ToolSession& session) {
    if (!session.Mode().HasFmFields()) {
        RaiseInput("the FM editor needs a workspace in mode \"fm\"");
    }
}

py::dict SetFmDeviation(PythonWorkspace& workspace, const std::string& text) {
    PythonUserInterface ui;
    return workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
        RequireFm(session);
        WaveDoc& document = session.Document();
        const std::string typed = text.substr(0, 19);
        const std::string shown = document.SetFmDeviation(text);
        if (shown != typed || document.Fm().Deviation() != LeadingDouble(typed)) {
            throw asked.Failure(Kind::Rule, "the deviation " + text + " was not taken");
        }
        return FmWindowOf(document.Fm(), shown);
    });
}

py::dict FmWindow(PythonWorkspace& workspace) {
    PythonUserInterface ui;
    return workspace.Run(ui, [](ToolSession& session, PythonUserInterface&) {
        RequireFm(session);
        return FmWindowOf(session.Document().Fm(), session.Document().Fm().DeviationFieldText());
    });
}

void SetFmMarkers(PythonWorkspace& workspace, const py::sequence& levels) {
    std::vector<std::string> texts;
    for (const auto& level : levels) {
        texts.push_back(TextOf(level));
    }
    PythonUserInterface ui;
    workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
        RequireFm(session);
        WaveDoc& document = session.Document();
        FmMarkersDialog dialog(session.Services(), document.Fm());
        dialog.Load();
        dialog.RemoveAll();
        for (const std::string& text : texts) {
            const auto outcome = dialog.Add(text);
            if (outcome == FmMarkersDialog::AddOutcome::NotANumber ||
                outcome == FmMarkersDialog::AddOutcome::TooLarge) {
                dialog.Close();
                throw asked.Failure(Kind::Rule, "the marker " + text + " was refused");
            }
        }
        if (!dialog.Store()) {
            throw asked.Failure(Kind::File, "the markers were not stored");
        }
        document.RebuildMarkerBar();
        document.RebuildMarkerSamples();
        return 0;
    });
}

py::array_t<std::int32_t> FmCrossings(PythonWorkspace& workspace) {
    PythonUserInterface ui;
    return workspace.Run(ui, [](ToolSession& session, PythonUserInterface&) {
        RequireFm(session);
        std::vector<std::int32_t> positions = session.Document().FmMarkers().SampleList();
        return Own(std::move(positions));
    });
}

py::list MessagesOf(const PythonWorkspace& workspace) {
    py::list messages;
    for (const auto& shown : workspace.Messages()) {
        messages.append(py::make_tuple(shown.id, shown.text));
    }
    return messages;
}

} // namespace

void BindWorkspace(py::module_& module) {
    py::class_<PythonWorkspace> workspace(module, "Workspace",
                                          R"(A workspace folder as `consolux prepare` makes one.

Each call is one run of the tool in the folder, as one `wavesmith-cli` command is: the
folder's settings, family and working files are read afresh and what the call changes is
written back, so a script and the command-line tool see the same workspace. The mode is
"std", "fm" or "pulse". Questions the tool would ask are answered by the call's
parameters, otherwise with the first button; every refusal raises a wavesmith.Error
subclass with the tool's message.)");
    workspace
        .def(py::init([](const std::filesystem::path& folder, const std::string& mode) {
                 return PythonWorkspace(folder.string(), ModeOfName(mode));
             }),
             py::arg("folder"), py::arg("mode") = "std")
        .def_property_readonly("folder", &PythonWorkspace::Folder)
        .def_property_readonly("mode",
                               [](const PythonWorkspace& self) { return ModeWord(self.Mode()); })
        .def_property_readonly("messages", &MessagesOf,
                               "(id, text) of every message the last call's run showed.")
        .def("info", &Info,
             "Mode, family, active channel and segment, length and the family's limits.")
        .def("samples", &Samples, "The active segment's waveform.")
        .def("set_length", &SetLength, py::arg("points"),
             "Changes the waveform's length as the length field does (RuleError when the "
             "family's length rules refuse it).")
        .def("select", &SelectSegment, py::arg("segment") = 0, py::arg("channel") = py::none(),
             "Makes a channel (1 or 2) and a segment (from 1) the active ones.")
        .def("generate", &Generate, py::arg("name"), py::arg("fields") = py::none(),
             R"(Runs a generator form on the active segment, as the Wave menu's OK does.

name is sine, triangle, square, sinc, gaussian, exponent, pulse, noise or equation;
fields (a dict, or keyword arguments) set field texts by their settings key: "Prv_bgn",
"Prv_end", "Wavmin", "Wavmax", "Fmin", "Fmax", "Cycl", the family's parameter keys, "Equ".
Numbers are given as their str(). Returns the whole waveform, which is also committed to
the segment's working file as OK commits it.)")
        .def("generator_fields", &GeneratorFields, py::arg("name"),
             R"(The fields of a standard waveform's form as its dialog opens: key, label, unit,
text (the stored or default value), low and high (the family's limits; for "Cycl" the
high is half the waveform's length).)")
        .def("read", &ReadFile, py::arg("path"),
             R"(Reads a waveform file of the mode as Open reads it: .wav (int16), .wvf (int32),
.wfm (float64), their text forms .asc .asf .afm, .csv and oscilloscope traces (text and
traces are converted beside the file, as Open converts them). The binary file is read
straight into the returned array. FileError when the file is not what its name says.)")
        .def("write", &WriteFile, py::arg("path"), py::arg("samples"), py::kw_only(),
             py::arg("replace") = false,
             R"(Writes samples by the extension rules of the mode's save types, through the
tool's safe writer: the old file stays whole when the write fails. An existing file is
replaced only with replace=True. samples are int16 (std, pulse), int32 (fm) or float64
(wide fm), read in place when C-contiguous of that type; the writer takes one copy.)")
        .def("set_fm_deviation", &SetFmDeviation, py::arg("text"),
             "The FM deviation field's rule: returns the window (text, deviation, base, fmin, "
             "fmax); RuleError when the deviation is refused.")
        .def("fm_window", &FmWindow, "The FM base, deviation and window as the files hold them.")
        .def("set_fm_markers", &SetFmMarkers, py::arg("levels"),
             "Replaces the FM markers table's list and stores it (Store & Update).")
        .def("fm_crossings", &FmCrossings,
             "The marker positions over the FM waveform: int32 sample indexes.");
    BindPulse(module, workspace);
}
