#include "cli/CliPulseRender.h"

#include "app/ToolSession.h"
#include "pulse/PulseDownload.h"
#include "settings/NumberFormat.h"

#include <cstdio>

namespace {

void PrintForm(const PulseRenderOutcome& outcome) {
    if (!outcome.asSequence) {
        std::printf("form single segment: %lld points in %s\n",
                    static_cast<long long>(outcome.lengthPoints), outcome.singleFile.c_str());
        return;
    }
    std::printf("form sequence%s: %zu steps, %lld points of segment memory\n",
                outcome.restartedPiecewise ? " (piecewise: whole sections exceed the memory)" : "",
                outcome.steps.size(), static_cast<long long>(outcome.memoryPoints));
    for (std::size_t m = 0; m < outcome.steps.size(); ++m) {
        std::printf("step %zu %s x%lld\n", m + 1, outcome.steps[m].file.c_str(),
                    static_cast<long long>(outcome.steps[m].repeat));
    }
}

} // namespace

int CliPulseRender::Run(ToolSession& session, PulseOptions& options) {
    session.Pulse().UseOptions(&options);
    const PulseRenderOutcome& outcome = session.Pulse().RenderOnly(session.Services().ui);
    session.Pulse().UseOptions(nullptr);
    if (outcome.sampleClock > 0) {
        std::printf("clock %s S/s (quantum %s s, exponent %d)\n",
                    CrtFormat("%g", outcome.sampleClock).c_str(),
                    CrtFormat("%g", outcome.quantum).c_str(), outcome.exponent);
    }
    if (!outcome.succeeded) {
        std::fprintf(stderr, "wavesmith-cli: pulse render: %s\n", outcome.problem.c_str());
        return 1;
    }
    if (outcome.switchedToSequence) {
        std::printf("segmentation: now Pulse As Sequence Allowed\n");
    }
    PrintForm(outcome);
    return 0;
}
