#pragma once

#include "link/HostLink.h"
#include "pulse/PulseRenderer.h"

#include <functional>

struct AppServices;
class PulseOptions;
class UserInterface;

// The render that a Download in pulse mode runs first: the active channel's design as
// the context file holds it now, against the limits of the family, in the form the pulse
// options choose. It keeps the last outcome for whoever shows the clock and the form.
class PulseDownload {
public:
    explicit PulseDownload(AppServices& services);

    // The link's hook: renders and says what the download has to send. The render's
    // questions and its error go to `asker`, the front end's own way of asking (message
    // boxes in the window, the run's --yes or --no on the command line, the call's
    // parameters in a script).
    PulseRendering Render(UserInterface& asker);
    // Renders without a download (the command-line tool's "pulse render").
    const PulseRenderOutcome& RenderOnly(UserInterface& asker);

    const PulseRenderOutcome& Last() const { return last_; }
    // Called after every render, successful or not.
    std::function<void(const PulseRenderOutcome&)> onRendered;
    // The pulse options the render follows (the pulse editor's, in the window); without
    // them the stored options are read afresh for each render.
    void UseOptions(PulseOptions* options) { options_ = options; }

private:
    PulseOptions* options_ = nullptr;
    AppServices& services_;
    PulseRenderOutcome last_;
};
