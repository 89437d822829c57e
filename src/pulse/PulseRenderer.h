#pragma once

#include "core/UserInterface.h"
#include "pulse/PulseInterval.h"
#include "pulse/PulseRenderLimits.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct AppServices;
class PulseDesign;
class PulseOptions;
struct PulseCompilation;
struct PulseSection;
struct PulseSequencePlan;

// One step of a rendered sequence as the table holds it.
struct PulseRenderStep {
    std::string file;
    std::int64_t repeat = 1;
};

// The replies to the questions a render may raise. A question without a reply ends the
// render before anything is written and comes back in the outcome to be asked.
struct PulseRenderAnswers {
    std::optional<bool> lowerClock;      // message 3024: render at the instrument's clock?
    std::optional<bool> sequenceInstead; // message 3023: take the sequence form?

    // Records the reply to `question` (3023 or 3024).
    void Give(int question, bool yes);
};

// What a render did, for the download that follows and for the status bar.
struct PulseRenderOutcome {
    bool succeeded = false;
    bool asSequence = false;
    // The single segment did not fit and the user accepted the sequence form.
    bool switchedToSequence = false;
    int exponent = 0;
    double quantum = 0.0;          // seconds
    double sampleClock = 0.0;      // samples per second
    std::int64_t lengthPoints = 0; // the single segment's points
    std::string singleFile;
    std::vector<PulseRenderStep> steps;
    std::int64_t memoryPoints = 0; // the sequence's segment points
    bool restartedPiecewise = false;
    // Why the render failed. When `tell`, the front end shows it as an error, followed by
    // "Nothing was rendered."; some failures, such as a design without items or a No to a
    // question, are silent.
    std::string problem;
    bool tell = false;
    // Not rendered yet: the question to put to the user (id 0: none). Render again with
    // its reply among the answers.
    Message question;

    bool NeedsAnswer() const { return question.id != 0; }
    // The error box for a failure that is told.
    Message ErrorBox() const;
};

// The segment and channel a single segment is rendered for.
struct PulseRenderTarget {
    int segment = 1;
    int channel = 0;
};

// RenderPulseDesign: the design of the active channel becomes one waveform segment
// ("PulsSing<s>-<c>.wav" entered in the segment table) or a set of segments
// ("Seg-<m>.wav") with the sequence table "PulsSeq-<ActiveCh>". Every check runs before
// the first file is written; files are written whole or not at all, and a sequence table
// names its files only once all of them are in place. The renderer asks nothing itself:
// a question it cannot answer from the answers given ends the render unwritten.
class PulseRenderer {
public:
    PulseRenderer(AppServices& services, PulseRenderTarget target);

    // The form follows the options' segmentation choice, which becomes Pulse As Sequence
    // Allowed (and is stored) when the user takes the sequence form after message 3023.
    PulseRenderOutcome Render(PulseDesign& design, const PulseLimits& limits, PulseOptions& options,
                              const PulseRenderAnswers& answers);
    // The same over sections and amplitude already read (the design's Duration given).
    PulseRenderOutcome Render(const std::vector<PulseSection>& sections, double duration,
                              const PulseRenderLimits& limits, PulseOptions& options,
                              const PulseRenderAnswers& answers);

    // "1e+006 S/s, single segment of 4096 points", "..., sequence of 12 steps" or "not
    // rendered: <why>".
    static std::string Summary(const PulseRenderOutcome& outcome);

private:
    static bool Fail(PulseRenderOutcome& outcome, const std::string& problem, bool tell);
    static bool Ask(PulseRenderOutcome& outcome, Message question);
    bool ChooseClock(PulseRenderOutcome& outcome, const std::vector<PulseSection>& sections,
                     const PulseCompilation& compiled, const PulseRenderLimits& limits,
                     const PulseRenderAnswers& answers);
    bool AcceptSequenceInstead(PulseRenderOutcome& outcome, const PulseRenderLimits& limits,
                               PulseOptions& options, const PulseRenderAnswers& answers);
    bool RenderSingle(PulseRenderOutcome& outcome, const std::vector<PulseInterval>& list,
                      double duration, const PulseRenderLimits& limits);
    bool RenderSequence(PulseRenderOutcome& outcome, const std::vector<PulseInterval>& list,
                        const PulseRenderLimits& limits, int segmentation);
    bool WriteSequence(PulseRenderOutcome& outcome, const PulseSequencePlan& plan);
    bool WriteSamples(const std::string& path, const std::vector<std::int16_t>& samples,
                      PulseRenderOutcome& outcome);
    std::string UserFile(const std::string& name) const;
    std::string SequenceSection();

    AppServices& services_;
    PulseRenderTarget target_;
};
