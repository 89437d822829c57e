#pragma once

#include "core/ProcessFacts.h"

// Process facts of a POSIX system: the user from the password database (or $USER), the
// working folder, and the command line from /proc/self/cmdline (arguments joined by
// blanks, as the original platform hands a program its whole command line).
class PosixProcessFacts : public ProcessFacts {
public:
    std::optional<std::string> LogonUserName() const override;
    std::string CurrentFolder() const override;
    std::string FullCommandLine() const override;
    unsigned long long PhysicalMemoryBytes() const override;
};
