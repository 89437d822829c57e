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
};
