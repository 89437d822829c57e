#pragma once

#include <optional>
#include <string>

// What the start-up sequence learns from the operating system.
class ProcessFacts {
public:
    virtual ~ProcessFacts() = default;
    virtual std::optional<std::string> LogonUserName() const = 0;
    virtual std::string CurrentFolder() const = 0; // without trailing separator
    virtual std::string FullCommandLine() const = 0;
    // The machine's physical memory in bytes; 0 when the platform cannot tell, and then
    // no waveform is refused for want of memory.
    virtual unsigned long long PhysicalMemoryBytes() const { return 0; }
};
