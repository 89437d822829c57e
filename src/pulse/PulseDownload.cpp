#include "pulse/PulseDownload.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/UserInterface.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseOptions.h"

PulseDownload::PulseDownload(AppServices& services) : services_(services) {}

PulseRendering PulseDownload::Render(UserInterface& asker) {
    const PulseRenderOutcome& outcome = RenderOnly(asker);
    PulseRendering rendering;
    rendering.succeeded = outcome.succeeded;
    rendering.asSequence = outcome.asSequence;
    rendering.sampleClock = outcome.sampleClock;
    rendering.lengthPoints = static_cast<double>(outcome.lengthPoints);
    return rendering;
}

// Each reply starts the render afresh: nothing was written while a question was open, and
// the questions come in the order the checks raise them (the clock's before the form's).
// The design is opened and the limits read once, so that a box about a missing family
// key is not shown again for every reply.
const PulseRenderOutcome& PulseDownload::RenderOnly(UserInterface& asker) {
    PulseOptions stored(services_.store);
    PulseOptions& options = options_ != nullptr ? *options_ : stored;
    PulseDesign design(services_);
    design.Open(services_.state.activeChannel);
    const PulseLimits limits = PulseLimits::Read(services_);
    PulseRenderer renderer(services_,
                           {services_.state.activeSegment, services_.state.activeChannel});
    PulseRenderAnswers answers;
    last_ = renderer.Render(design, limits, options, answers);
    while (last_.NeedsAnswer()) {
        answers.Give(last_.question.id, asker.Show(last_.question) == MessageAnswer::Yes);
        last_ = renderer.Render(design, limits, options, answers);
    }
    if (last_.tell) {
        asker.Show(last_.ErrorBox());
    }
    if (onRendered) {
        onRendered(last_);
    }
    return last_;
}
