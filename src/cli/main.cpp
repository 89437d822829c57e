#include "cli/CliApp.h"
#include "cli/CliCommandTable.h"
#include "cli/CliOptions.h"

#include <cstdio>

int main(int argc, char** argv) {
    CliOptions options;
    if (const auto error = CliOptions::Parse(argc, argv, options)) {
        std::fprintf(stderr, "wavesmith-cli: %s\n%s", error->c_str(),
                     CliCommandTable::Usage().c_str());
        return CliApp::UsageError;
    }
    return CliApp(options).Run();
}
