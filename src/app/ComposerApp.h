#pragma once

#include "core/AppState.h"
#include "settings/ProfileStore.h"

#include <optional>

class ProcessFacts;
class UserInterface;

// The start-up sequence shared by the GUI and the command-line tool: the per-user paths,
// the instrument family, the host's registry key, the mode from the command line and the
// run-log line. Owns the process-wide state and the settings store built on it.
class ComposerApp {
public:
    ComposerApp(const ProcessFacts& facts, UserInterface& ui);

    // False when the context file or its "Instrument"/"Family" key is missing: the
    // message "Invalid application path =" + path has been shown and the program ends.
    bool InitInstance();

    // The command-line tool takes its mode from --mode instead of the command-line search.
    void ForceMode(OperatingMode mode) { forcedMode_ = mode; }

    AppState& State() { return state_; }
    ProfileStore& Store() { return store_; }

    // "$" and at most the first three letters of the user name ("Temp" when unknown).
    static std::string MakeUserTag(const std::optional<std::string>& userName);
    static bool IsWideFamily(const std::string& familyName);

private:
    void BuildPaths();
    void AppendLogLine() const;
    void RemoveStaleTemporaries() const;

    const ProcessFacts& facts_;
    UserInterface& ui_;
    AppState state_;
    ProfileStore store_;
    std::optional<OperatingMode> forcedMode_;
};
