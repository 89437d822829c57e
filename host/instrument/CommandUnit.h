#pragma once

#include "ScpiArgument.h"

#include <string>
#include <vector>

// One message unit of a program message, its header resolved against the compound
// command path: "TRAC:DEF 1,64;SEL 1" yields TRAC:DEF and then TRAC:SEL.
struct CommandUnit {
    bool common = false; // an IEEE 488.2 common command such as *IDN?
    bool query = false;
    std::vector<std::string> path; // upper-cased mnemonics from the root; one for a common command
    std::vector<ScpiArgument> arguments;

    // The header as it is reported in error details: "TRAC:SEL?" or "*IDN?".
    std::string HeaderText() const;
};
