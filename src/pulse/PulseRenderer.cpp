#include "pulse/PulseRenderer.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/StringTable.h"
#include "document/SegmentTable.h"
#include "pulse/PulseClock.h"
#include "pulse/PulseCompiler.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseOptions.h"
#include "pulse/PulseSequence.h"
#include "pulse/PulseSingleSegment.h"
#include "settings/AtomicFileWriter.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

bool AnySectionLasts(const std::vector<PulseSection>& sections) {
    return std::any_of(sections.begin(), sections.end(),
                       [](const PulseSection& section) { return section.locDur != 0.0; });
}

std::string LittleEndian(const std::vector<std::int16_t>& samples) {
    std::string bytes(samples.size() * 2, '\0');
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto value = static_cast<std::uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<char>(value & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(value >> 8);
    }
    return bytes;
}

} // namespace

void PulseRenderAnswers::Give(int question, bool yes) {
    (question == MsgClockRestriction ? lowerClock : sequenceInstead) = yes;
}

Message PulseRenderOutcome::ErrorBox() const {
    Message message;
    message.text = problem + "\nNothing was rendered.";
    message.icon = MessageIcon::Error;
    return message;
}

PulseRenderer::PulseRenderer(AppServices& services, PulseRenderTarget target)
    : services_(services), target_(target) {}

PulseRenderOutcome PulseRenderer::Render(PulseDesign& design, const PulseLimits& limits,
                                         PulseOptions& options, const PulseRenderAnswers& answers) {
    design.Reload();
    return Render(design.Sections(), design.Duration(), PulseRenderLimits(limits, design.Vpp()),
                  options, answers);
}

PulseRenderOutcome PulseRenderer::Render(const std::vector<PulseSection>& sections, double duration,
                                         const PulseRenderLimits& limits, PulseOptions& options,
                                         const PulseRenderAnswers& answers) {
    PulseRenderOutcome outcome;
    if (!(limits.vpp > 0.0) || !std::isfinite(limits.vpp)) {
        Fail(outcome, "The design's Vpp " + CrtFormat("%g", limits.vpp) + " is not above 0.", true);
        return outcome;
    }
    if (limits.vpts <= 0 || limits.maxWaveLen <= 0) {
        Fail(outcome, "The instrument family gives no sample codes (Vpts) or memory (Hrange).",
             true);
        return outcome;
    }
    const PulseCompilation compiled = PulseCompiler::Compile(sections, limits);
    if (!compiled.problem.empty()) {
        Fail(outcome, compiled.problem, true);
        return outcome;
    }
    if (!compiled.hasItems) {
        Fail(outcome, "The design has no items.", false);
        return outcome;
    }
    if (!ChooseClock(outcome, sections, compiled, limits, answers)) {
        return outcome;
    }
    if (options.SegmentationChoice() == PulseOptions::kForceSingleSegment) {
        if (RenderSingle(outcome, compiled.intervals, duration, limits)) {
            return outcome;
        }
        if (!outcome.problem.empty() || !AcceptSequenceInstead(outcome, limits, options, answers)) {
            return outcome;
        }
    }
    RenderSequence(outcome, compiled.intervals, limits, options.SegmentationChoice());
    return outcome;
}

bool PulseRenderer::Fail(PulseRenderOutcome& outcome, const std::string& problem, bool tell) {
    outcome.succeeded = false;
    outcome.problem = problem;
    outcome.tell = tell;
    return false;
}

bool PulseRenderer::Ask(PulseRenderOutcome& outcome, Message question) {
    question.buttons = MessageButtons::YesNo;
    outcome.succeeded = false;
    outcome.question = std::move(question);
    return false;
}

// Message 3024 when the clock needed exceeds the instrument's.
bool PulseRenderer::ChooseClock(PulseRenderOutcome& outcome,
                                const std::vector<PulseSection>& sections,
                                const PulseCompilation& compiled, const PulseRenderLimits& limits,
                                const PulseRenderAnswers& answers) {
    PulseClockChoice clock =
        PulseClock::Choose(compiled.intervals, AnySectionLasts(sections), limits);
    if (clock.asks) {
        if (!answers.lowerClock) {
            Message question;
            question.id = MsgClockRestriction;
            question.text = clock.question;
            return Ask(outcome, question);
        }
        PulseClock::Answer(clock, *answers.lowerClock, limits);
    }
    outcome.exponent = clock.exponent;
    outcome.quantum = clock.quantum;
    outcome.sampleClock = clock.clock;
    if (clock.accepted) {
        return true;
    }
    // Message 3024 keeps its own text; the place that needs the finer step is told here.
    const std::string refused = "The lower sample clock was refused (" +
                                compiled.PlaceOf(clock.finest) + " needs the finest time step).";
    return Fail(outcome, clock.problem.empty() ? refused : clock.problem, !clock.problem.empty());
}

// Message 3023; a Yes makes the sequence form the choice from now on.
bool PulseRenderer::AcceptSequenceInstead(PulseRenderOutcome& outcome,
                                          const PulseRenderLimits& limits, PulseOptions& options,
                                          const PulseRenderAnswers& answers) {
    if (static_cast<double>(limits.sclkMax) < outcome.sampleClock) {
        return Fail(outcome, "The single segment does not fit the memory.", false);
    }
    if (!answers.sequenceInstead) {
        Message question;
        question.id = MsgMemoryRestriction;
        question.text = MessageText(MsgMemoryRestriction);
        question.icon = MessageIcon::Question;
        return Ask(outcome, question);
    }
    if (!*answers.sequenceInstead) {
        return Fail(outcome, "The single segment does not fit the memory.", false);
    }
    options.StoreSegmentation(PulseOptions::kSequenceAllowed);
    outcome.switchedToSequence = true;
    return true;
}

// False with an empty problem: the segment does not fit the memory (message 3023 follows).
bool PulseRenderer::RenderSingle(PulseRenderOutcome& outcome,
                                 const std::vector<PulseInterval>& list, double duration,
                                 const PulseRenderLimits& limits) {
    const double nominal = std::trunc(duration * outcome.sampleClock);
    const std::int64_t produced = PulseSingleSegment::CountPoints(list, outcome.sampleClock);
    // The design's stored Duration and the points its intervals round to may differ (a
    // hand-edited file); both must fit.
    if (!(nominal <= static_cast<double>(limits.maxWaveLen)) || produced > limits.maxWaveLen) {
        return false;
    }
    const std::vector<std::int16_t> samples =
        PulseSingleSegment::Render(list, outcome.sampleClock, limits);
    const std::string path = UserFile("PulsSing" + std::to_string(target_.segment) + "-" +
                                      std::to_string(target_.channel) + ".wav");
    if (!WriteSamples(path, samples, outcome)) {
        return false;
    }
    outcome.singleFile = SegmentTable(services_).Enter(target_.segment, target_.channel, path);
    outcome.lengthPoints = static_cast<std::int64_t>(samples.size());
    outcome.succeeded = true;
    return true;
}

bool PulseRenderer::RenderSequence(PulseRenderOutcome& outcome,
                                   const std::vector<PulseInterval>& list,
                                   const PulseRenderLimits& limits, int segmentation) {
    const auto form = segmentation == PulseOptions::kForceSequence
                          ? PulseSequence::Form::MinimizeMemory
                          : PulseSequence::Form::WholeBlocksAllowed;
    const PulseSequencePlan plan = PulseSequence::Build(list, outcome.sampleClock, limits, form);
    outcome.asSequence = true;
    outcome.memoryPoints = plan.memoryPoints;
    outcome.restartedPiecewise = plan.restartedPiecewise;
    if (!plan.problem.empty()) {
        return Fail(outcome, plan.problem, true);
    }
    return WriteSequence(outcome, plan);
}

// The table is cleared before the first file is replaced and filled after the last one
// is in place: a failure in between leaves no table naming files of two renders.
bool PulseRenderer::WriteSequence(PulseRenderOutcome& outcome, const PulseSequencePlan& plan) {
    ProfileStore& store = services_.store;
    const std::string section = SequenceSection();
    if (!store.DeleteProfileSection(section, store.ContextFile())) {
        return Fail(outcome, "The sequence table could not be cleared.", false);
    }
    std::map<std::size_t, std::string> files;
    IniEntries entries;
    for (std::size_t m = 1; m <= plan.steps.size(); ++m) {
        const PulseStep& step = plan.steps[m - 1];
        auto [named, added] = files.try_emplace(step.segment);
        if (added) {
            named->second = UserFile("Seg-" + std::to_string(m) + ".wav");
            if (!WriteSamples(named->second, plan.segments[step.segment], outcome)) {
                return false;
            }
        }
        entries.emplace_back("Seg" + std::to_string(m), named->second);
        entries.emplace_back("Rpt" + std::to_string(m), std::to_string(step.repeat));
        outcome.steps.push_back({named->second, step.repeat});
    }
    // The segment files hold samples only: the clock they were rendered for travels with
    // the table, so the host plays the sequence at the speed the design was cut for.
    if (!entries.empty()) {
        entries.emplace_back("Sclk", CrtFormat("%g", outcome.sampleClock));
    }
    if (!entries.empty() && !store.WriteProfileSection(section, entries, store.ContextFile())) {
        return Fail(outcome, "The sequence table could not be written.", false);
    }
    outcome.succeeded = true;
    return true;
}

bool PulseRenderer::WriteSamples(const std::string& path, const std::vector<std::int16_t>& samples,
                                 PulseRenderOutcome& outcome) {
    std::string error;
    if (AtomicFileWriter::WriteWhole(path, LittleEndian(samples), &error)) {
        return true;
    }
    return Fail(outcome, "The rendered samples could not be written:\n" + error, true);
}

std::string PulseRenderer::UserFile(const std::string& name) const {
    return services_.state.userFolder + kPathSeparator + name;
}

std::string PulseRenderer::SequenceSection() {
    const double channel = services_.store.ReadProfileNumber("ActiveCh", 0, "Settings", 0.0);
    // A channel no instrument has (a hand-edited file) still names one section.
    const double whole = std::fabs(channel) < 1e9 ? std::trunc(channel) : 0.0;
    return "PulsSeq-" + std::to_string(static_cast<long long>(whole));
}

std::string PulseRenderer::Summary(const PulseRenderOutcome& outcome) {
    if (!outcome.succeeded) {
        return outcome.problem.empty() ? "not rendered" : "not rendered: " + outcome.problem;
    }
    std::string text = CrtFormat("%g", outcome.sampleClock) + " S/s, ";
    if (outcome.asSequence) {
        return text + "sequence of " + std::to_string(outcome.steps.size()) + " steps";
    }
    return text + "single segment of " + std::to_string(outcome.lengthPoints) + " points";
}
