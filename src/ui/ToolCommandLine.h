#pragma once

#include <string>
#include <vector>

// The command line of the window program. The host starts it in a prepared workspace with
// a command line whose words choose the mode ("FMS" anywhere: FM, "PLS": pulse); that text
// is the start-up's to read. Only a first word of --help (-h), --version or --help-man is
// answered here, before a display is needed.
class ToolCommandLine {
public:
    enum class Request { Run, Help, Version, Manual };

    static Request Parse(const std::vector<std::string>& arguments);
    static std::string Usage();
    static std::string Manual(const std::string& version);
};
