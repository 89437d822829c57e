#pragma once

#include "session/ConsoluxOptions.h"
#include "workspace/InstallLayout.h"

// The commands of consolux, each run to its exit status (0 done, 1 failed).
// Prepare and Request return at once; Serve and Demo run the Qt event loop of the
// application object that main created for them. Serve DIR performs the notifications of
// the tools working in DIR, as Demo does for the tool it started; every other tool's are
// printed as ignored.
class ConsoluxCommands {
public:
    ConsoluxCommands(ConsoluxOptions options, InstallLayout layout);

    int Prepare();
    int Serve();
    int Request();
    int Demo();
    // Prints the probe's lines; nothing answering is a failure with its reason.
    int Probe();

private:
    ConsoluxOptions options_;
    InstallLayout layout_;
};
