#pragma once

#include "core/ProcessFacts.h"

// Process facts chosen by a test.
class FakeProcessFacts : public ProcessFacts {
public:
    std::optional<std::string> userName = std::string("tester");
    std::string folder = "/tmp";
    std::string commandLine = "wavesmith";
    unsigned long long physicalMemory = 0;

    std::optional<std::string> LogonUserName() const override { return userName; }
    std::string CurrentFolder() const override { return folder; }
    std::string FullCommandLine() const override { return commandLine; }
    unsigned long long PhysicalMemoryBytes() const override { return physicalMemory; }
};
