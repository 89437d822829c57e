#include "cli/CliApp.h"

#include "cli/CliCommandTable.h"
#include "cli/CliPulseCommands.h"

#include "app/ToolSession.h"
#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/StringTable.h"
#include "document/DocumentMode.h"
#include "document/FileCommands.h"
#include "document/FormatConverter.h"
#include "document/HeadlessView.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "platform/console/ConsoleHostBus.h"
#include "platform/console/ConsoleUserInterface.h"
#include "platform/posix/PosixProcessFacts.h"
#include "pulse/PulseDownload.h"
#include "settings/FileHelpers.h"
#include "settings/NumberFormat.h"
#include "synthesis/EditCommands.h"
#include "synthesis/EditOperations.h"
#include "synthesis/Expression.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/WaveformKinds.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

namespace {

void PrintSample(const SampleBuffer& samples, std::size_t i, bool asText) {
    const double value = samples.At(i);
    if (asText) {
        std::printf("%s\n", CrtFormat("%g", value).c_str());
    } else if (samples.Kind() == SampleKind::Hz64) {
        std::printf("%s\n", CrtFormat("%.17g", value).c_str());
    } else {
        std::printf("%lld\n", static_cast<long long>(value));
    }
}

// The longest waveform an instrument holds; longer ranges are a typing error.
constexpr double kMostEvalPoints = 16000000;

bool ReadWholeNumber(const std::string& text, double& value) {
    return ParseWholeDouble(text, value) && std::isfinite(value);
}

bool FitsInt(double value) {
    return value >= INT_MIN && value <= INT_MAX;
}

} // namespace

int CliApp::Run() {
    if (options_.request != CliOptions::Request::Run) {
        return AnswerRequest();
    }
    // Options that did not come through the parser are checked against the table too, so
    // that no command runs with words it does not expect.
    const CliCommand* command = CliCommandTable::Find(options_.command);
    const std::string problem =
        command == nullptr ? options_.command + " does not fit the usage"
                           : CliCommandTable::WordsProblem(*command, options_.words, options_.mode);
    if (!problem.empty()) {
        std::fprintf(stderr, "wavesmith-cli: %s\n%s", problem.c_str(),
                     CliCommandTable::Usage().c_str());
        return UsageError;
    }
    ConsoleUserInterface ui(options_.policy);
    ConsoleHostBus bus;
    PosixProcessFacts facts;
    ToolSession session(facts, ui, bus);
    session.ForceMode(options_.mode);
    if (!session.Start()) {
        return Refused;
    }
    HeadlessView view;
    WaveDoc& document = session.Document();
    document.SetView(&view);
    if (view.closeRequested) {
        return Refused;
    }
    if (!session.Mode().RendersFromDesign()) {
        session.Segments().OpenActiveSegment();
        document.ResetAnchors();
    }
    std::optional<CliPulseCommands> pulse;
    if (session.Mode().RendersFromDesign()) {
        pulse_ = &pulse.emplace(session);
    }
    int result = RunCommand(*command, session, ui);
    // A file that could not be written was reported where it happened; the run failed
    // even where the command itself went on (the start-up's default waveform).
    if (result == Success && (document.WriteFailed() || session.Services().store.WriteFailed())) {
        result = Refused;
    }
    document.SetView(nullptr);
    pulse_ = nullptr;
    return result;
}

int CliApp::AnswerRequest() const {
    switch (options_.request) {
    case CliOptions::Request::Help:
        std::fputs(CliCommandTable::Usage().c_str(), stdout);
        break;
    case CliOptions::Request::Manual:
        std::fputs(CliCommandTable::Manual(WAVESMITH_VERSION).c_str(), stdout);
        break;
    default:
        std::printf("wavesmith-cli %s\n", WAVESMITH_VERSION);
        break;
    }
    return Success;
}

int CliApp::RunCommand(const CliCommand& command, ToolSession& session, ConsoleUserInterface& ui) {
    // The pulse designer's waveform exists only once its design is rendered; the file,
    // edit and download commands wait for that.
    if (session.Mode().RendersFromDesign() && !command.withoutDesign) {
        std::fprintf(stderr,
                     "wavesmith-cli: %s is not available with --mode pulse: the pulse "
                     "designer has no waveform until its design is rendered\n",
                     command.name);
        return UsageError;
    }
    return (this->*command.run)(session, ui);
}

int CliApp::New(ToolSession& session, ConsoleUserInterface&) {
    return session.Files().OnNew() ? Success : Refused;
}

int CliApp::Paths(ToolSession& session, ConsoleUserInterface&) {
    const AppState& state = session.State();
    std::printf("StartupFolder=%s\n", state.startupFolder.c_str());
    std::printf("UserFolder=%s\n", state.userFolder.c_str());
    std::printf("ContextFile=%s\n", state.contextFile.c_str());
    std::printf("FamilyFile=%s\n", state.familyFile.c_str());
    std::printf("LogFile=%s\n", state.logFile.c_str());
    std::printf("HostKey=%s\n", state.hostKey.c_str());
    return Success;
}

int CliApp::Info(ToolSession& session, ConsoleUserInterface&) {
    const AppState& state = session.State();
    WaveDoc& document = session.Document();
    std::printf("length=%lld\n", static_cast<long long>(document.Length()));
    std::printf("mode=%s\n", ModeWord(state.mode));
    std::printf("family=%s\n", state.familyName.c_str());
    std::printf("channel=%d\n", state.activeChannel + 1);
    std::printf("segment=%d\n", state.activeSegment);
    std::printf("path=%s\n", document.CurrentPath().c_str());
    std::printf("file=%s\n", document.VisibleFileName().c_str());
    std::printf("range=%s %s\n", CrtFormat("%.17g", document.Limits().VerticalLow()).c_str(),
                CrtFormat("%.17g", document.Limits().VerticalHigh()).c_str());
    std::printf("lengths=%lld %lld\n", static_cast<long long>(document.Limits().LengthLow()),
                static_cast<long long>(document.Limits().LengthHigh()));
    std::printf("resolution=%d\n", document.Limits().ResolutionFactor());
    std::printf("undo=%s\n", session.Files().CanUndo() ? "yes" : "no");
    return Success;
}

int CliApp::Dump(ToolSession& session, ConsoleUserInterface&) {
    const SampleBuffer& samples = session.Document().Samples();
    for (std::size_t i = 0; i < samples.Size(); ++i) {
        PrintSample(samples, i, options_.textDump);
    }
    return Success;
}

int CliApp::Length(ToolSession& session, ConsoleUserInterface&) {
    WaveDoc& document = session.Document();
    double requested = 0;
    if (!ReadWholeNumber(options_.words[0], requested)) {
        std::fprintf(stderr, "wavesmith-cli: length takes a number, not %s\n",
                     options_.words[0].c_str());
        return UsageError;
    }
    const double before = document.Length();
    document.SetLength(options_.words[0]);
    const bool applied = document.Length() != before || std::trunc(requested) == before;
    return applied ? Success : Refused;
}

int CliApp::Segment(ToolSession& session, ConsoleUserInterface&) {
    if (session.Mode().PseudoSegment()) {
        std::fprintf(stderr, "wavesmith-cli: segment is not available with --mode fm: the FM "
                             "waveform is a single pseudo-segment\n");
        return UsageError;
    }
    double requested = 0;
    if (!ReadWholeNumber(options_.words[0], requested)) {
        std::fprintf(stderr, "wavesmith-cli: segment takes a number, not %s\n",
                     options_.words[0].c_str());
        return UsageError;
    }
    session.Segments().OnSegmentField(options_.words[0]);
    if (!session.Document().Limits().IsValidSegment(std::trunc(requested))) {
        return Refused; // message 3002
    }
    // An active-segment list without an entry for the channel is not extended: the host
    // is told the new segment, while the channel's segment reads as the list's last entry.
    // The field did all it does, so the run succeeds, but a script should know.
    const AppState& state = session.State();
    if (state.activeSegment != static_cast<int>(requested) &&
        !session.Services().store.WriteFailed()) {
        std::fprintf(stderr,
                     "wavesmith-cli: segment: the context file's ActiveSeg list has no entry "
                     "for channel %d, so the host was told segment %d but the tool works on "
                     "segment %d\n",
                     state.activeChannel + 1, static_cast<int>(requested), state.activeSegment);
    }
    return Success;
}

int CliApp::Channel(ToolSession& session, ConsoleUserInterface&) {
    const std::string& word = options_.words[0];
    if (word != "1" && word != "2") {
        std::fprintf(stderr, "wavesmith-cli: channel takes 1 or 2\n");
        return UsageError;
    }
    if (!session.Segments().ChannelCommandEnabled()) {
        std::fprintf(stderr, "wavesmith-cli: the instrument has one channel\n");
        return Refused;
    }
    const int command = SegmentCommands::kChannel1Command + (word == "2" ? 1 : 0);
    session.Segments().OnChannelCommand(command);
    return Success;
}

int CliApp::Open(ToolSession& session, ConsoleUserInterface& ui) {
    ui.SetFileAnswer(options_.words[0]);
    return session.Files().OnOpen() ? Success : Refused;
}

int CliApp::Save(ToolSession& session, ConsoleUserInterface&) {
    if (session.Document().VisibleFileName().empty()) {
        std::fprintf(stderr,
                     "wavesmith-cli: the waveform has no file name yet; use save-as FILE\n");
        return Refused;
    }
    return session.Files().OnSave() ? Success : Refused;
}

int CliApp::SaveAs(ToolSession& session, ConsoleUserInterface& ui) {
    ui.SetFileAnswer(options_.words[0]);
    return session.Files().OnSaveAs() ? Success : Refused;
}

int CliApp::Undo(ToolSession& session, ConsoleUserInterface&) {
    if (!session.Files().CanUndo()) {
        std::fprintf(stderr, "wavesmith-cli: nothing to undo\n");
        return Refused;
    }
    return session.Files().OnUndo() ? Success : Refused;
}

int CliApp::Export(ToolSession& session, ConsoleUserInterface&) {
    return session.Files().ExportTo(options_.words[0]) ? Success : Refused;
}

int CliApp::Eval(ToolSession& session, ConsoleUserInterface&) {
    const AppState& state = session.State();
    auto number = [this](const char* name, double fallback) {
        const auto found = options_.options.find(name);
        double value = fallback;
        if (found != options_.options.end()) {
            ParseWholeDouble(found->second, value);
        }
        return value;
    };
    const double from = number("from", 0);
    const double to = number("to", from);
    if (to < from || to - from >= kMostEvalPoints) {
        std::fprintf(stderr,
                     "wavesmith-cli: eval needs --from S --to E with S <= E and at most "
                     "%.0f points\n",
                     kMostEvalPoints);
        return UsageError;
    }
    const double amplitude = number("amp", 1);
    const double periodValue = number("period", session.Document().Length());
    if (!FitsInt(amplitude) || !FitsInt(periodValue)) {
        std::fprintf(stderr, "wavesmith-cli: --amp and --period take whole numbers from %d to %d\n",
                     INT_MIN, INT_MAX);
        return UsageError;
    }
    Expression expression(session.Mode().HasFmFields(), state.startupFolder, session.Services().ui);
    expression.SetAmplitude(static_cast<int>(amplitude));
    std::string text = options_.words[0];
    const auto period = static_cast<int>(periodValue);
    const ExpressionRange range = expression.EvaluateRange(text, static_cast<long long>(from),
                                                           static_cast<long long>(to), period);
    for (double value : range.values) {
        // A negative zero is zero to the instrument; "-0" would only puzzle a script.
        std::printf("%s\n", CrtFormat("%.17g", value == 0.0 ? 0.0 : value).c_str());
    }
    return range.errorId == 0 ? Success : Refused;
}

int CliApp::Generate(ToolSession& session, ConsoleUserInterface&) {
    const auto command = GeneratorCommands::CommandOfName(options_.words[0]);
    if (!command) {
        std::fprintf(stderr, "wavesmith-cli: no waveform named %s (%s)\n",
                     options_.words[0].c_str(), WaveformKinds::Words(", ").c_str());
        return UsageError;
    }
    const auto result = GeneratorCommands::Run(session.Document(), *command, options_.settings);
    switch (result.outcome) {
    case GeneratorCommands::Outcome::Done:
        return Success;
    case GeneratorCommands::Outcome::UnknownKey:
        std::fprintf(stderr, "wavesmith-cli: the %s form has no field %s\n",
                     options_.words[0].c_str(), result.unknownKey.c_str());
        return UsageError;
    case GeneratorCommands::Outcome::UnknownCommand:
        std::fprintf(stderr, "wavesmith-cli: the %s mode has no Wave menu\n",
                     ModeWord(session.State().mode));
        return UsageError;
    default:
        return Refused;
    }
}

int CliApp::Edit(ToolSession& session, ConsoleUserInterface&) {
    static const std::map<std::string, int> kOperations = {
        {"filter", EditCommands::kFilter},        {"smooth", EditCommands::kSmooth},
        {"invert", EditCommands::kInvert},        {"trim-left", EditCommands::kTrimLeft},
        {"trim-right", EditCommands::kTrimRight},
    };
    const auto operation = kOperations.find(options_.words[0]);
    if (operation == kOperations.end()) {
        std::fprintf(stderr, "wavesmith-cli: edit takes filter, smooth, invert, trim-left or "
                             "trim-right\n");
        return UsageError;
    }
    WaveDoc& document = session.Document();
    const double last = document.Length() - 1;
    const auto [a, b] = options_.anchors.value_or(std::make_pair(0.0, last));
    if (!(a >= 0 && a < b && b <= last) || a != std::trunc(a) || b != std::trunc(b)) {
        std::fprintf(stderr,
                     "wavesmith-cli: the anchors must be whole points with 0 <= A < B "
                     "<= %lld\n",
                     static_cast<long long>(last));
        return UsageError;
    }
    document.View()->SetAnchors(a, b);
    if (operation->second == EditCommands::kTrimLeft) {
        return EditOperations::TrimLeft(document) ? Success : Refused;
    }
    if (operation->second == EditCommands::kTrimRight) {
        return EditOperations::TrimRight(document) ? Success : Refused;
    }
    // A filter over too few points, or a smooth of a straight line, changes nothing; the
    // command still ran.
    if (!EditOperations::Apply(document, operation->second, static_cast<long long>(a),
                               static_cast<long long>(b), last)) {
        std::fprintf(stderr, "wavesmith-cli: the waveform did not change\n");
    }
    return Success;
}

int CliApp::Convert(ToolSession& session, ConsoleUserInterface&) {
    AppServices& services = session.Services();
    WaveDoc& document = session.Document();
    std::string path = options_.words[0];
    FormatConverter converter(services.state, services.store, session.Mode());
    const auto result = converter.ConvertToBinary(
        path, -1, {document.Limits().VerticalLow(), document.Limits().VerticalHigh()});
    if (result == ConversionResult::NotConvertible || path.empty()) {
        services.ui.ShowMessage(MsgCannotConvert);
        return Refused;
    }
    SampleBuffer samples(document.Samples().Kind());
    const long long points = RecordCount(path, samples.ElementWidth());
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        services.ui.ShowMessage(MsgCannotConvert);
        return Refused;
    }
    samples.AllocateUninitialized(static_cast<std::size_t>(points));
    const std::size_t got = std::fread(samples.Bytes(), 1, samples.ByteSize(), in);
    std::fclose(in);
    if (got != samples.ByteSize()) {
        services.ui.ShowMessage(MsgCannotConvert);
        return Refused;
    }
    return FileCommands::ExportSamples(samples, options_.words[1], services.ui, session.Mode())
               ? Success
               : Refused;
}

int CliApp::Download(ToolSession& session, ConsoleUserInterface&) {
    const std::string leftOut = session.DownloadWaveform();
    // In pulse mode a design that could not be rendered ends the command unsent.
    if (session.Mode().RendersFromDesign() && !session.Pulse().Last().succeeded) {
        std::fprintf(stderr, "wavesmith-cli: download: %s; nothing was sent\n",
                     session.Pulse().Last().problem.c_str());
        return Refused;
    }
    if (!leftOut.empty()) {
        std::fprintf(stderr, "wavesmith-cli: download: %s\n", leftOut.c_str());
    }
    return Success;
}
