#pragma once

class PulseOptions;
class ToolSession;

// "pulse render": renders the active channel's design as a Download would, without the
// download, and prints the clock, the form and the steps.
class CliPulseRender {
public:
    // 0 when rendered, 1 when the design could not be (the reason on stderr). The render
    // follows the given options (the pulse editor's).
    static int Run(ToolSession& session, PulseOptions& options);
};
