#include "pulse/PulseDownload.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseOptions.h"

PulseDownload::PulseDownload(AppServices& services) : services_(services) {}

PulseRendering PulseDownload::Render() {
    const PulseRenderOutcome& outcome = RenderOnly();
    PulseRendering rendering;
    rendering.succeeded = outcome.succeeded;
    rendering.asSequence = outcome.asSequence;
    rendering.sampleClock = outcome.sampleClock;
    rendering.lengthPoints = static_cast<double>(outcome.lengthPoints);
    return rendering;
}

const PulseRenderOutcome& PulseDownload::RenderOnly() {
    PulseOptions stored(services_.store);
    PulseOptions& options = options_ != nullptr ? *options_ : stored;
    PulseDesign design(services_);
    design.Open(services_.state.activeChannel);
    last_ = PulseRenderer(services_).Render(design, PulseLimits::Read(services_), options);
    if (onRendered) {
        onRendered(last_);
    }
    return last_;
}
