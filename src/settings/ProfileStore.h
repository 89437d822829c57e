#pragma once

#include "settings/IniFile.h"

#include <functional>
#include <set>
#include <string>
#include <string_view>

struct AppState;
class ProfileEdit;
class UserInterface;

// The number that reads of numbers pass as default to mean "no value".
inline constexpr double kMissingNumber = -1.1e61;

// The one layer through which the program reads and writes the context file, the family
// file and the host's registry values. Nothing is cached: the host writes the context
// file while the tool runs.
class ProfileStore {
public:
    ProfileStore(const AppState& state, UserInterface& ui);

    // Reads a key with default "noo" into dest (at most size - 1 characters). Reports a
    // missing key ("Record not found", unless quiet) or a value that does not fit ("Too few
    // room in destination"); cuts a "//" comment and the blanks before it.
    bool ReadProfileText(std::string_view section, std::string_view key, std::string& dest,
                         int size, const std::string& file, bool quiet);
    // Reads the index-th blank-separated number of a context-file key.
    double ReadProfileNumber(std::string_view key, int index, std::string_view section,
                             double defaultValue);

    std::string ReadHostValue(std::string_view subkey, std::string_view name);
    void WriteHostValue(std::string_view name, std::string_view value, std::string_view subkey);

    // Plain private-profile writes. A write that fails leaves the file as it was and is
    // reported once per file and run.
    bool WriteProfileText(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& file);
    // Several keys of one section in one locked rewrite, so that a killed run leaves all of
    // them old or all new. A value that cannot stand on one line is refused and told as by
    // WriteProfileText; the others are written.
    bool WriteProfileTexts(std::string_view section, const IniEntries& entries,
                           const std::string& file);
    bool DeleteProfileKey(std::string_view section, std::string_view key, const std::string& file);
    bool DeleteProfileSection(std::string_view section, const std::string& file);
    // Reads and rewrites keys of one file under one hold of its lock (see ProfileEdit); the
    // file is rewritten once, and only when the update changed something. A failure is
    // reported as for the plain writes.
    bool UpdateProfile(const std::string& file, const std::function<void(ProfileEdit&)>& update);
    // The same for an edit of the whole text (IniFile::Update): for writers that change
    // many keys of large sections in one pass.
    bool UpdateProfileText(const std::string& file, const std::function<bool(std::string&)>& edit);
    // Whether the file could be replaced now, found out without changing it; a file that
    // cannot be is reported as a failed write. For a command that must not begin
    // what it could not record.
    bool CanWrite(const std::string& file);
    IniEntries ReadProfileSection(std::string_view section, const std::string& file);
    bool WriteProfileSection(std::string_view section, const IniEntries& entries,
                             const std::string& file);

    const std::string& ContextFile() const;
    const std::string& FamilyFile() const;
    const AppState& State() const { return state_; }
    // True once a write of this run failed (and was told): scripts end with a failure.
    bool WriteFailed() const { return writeFailed_; }
    UserInterface& Ui() { return ui_; }

private:
    void ReportWriteFailure(const std::string& file, const std::string& error);

    const AppState& state_;
    UserInterface& ui_;
    std::set<std::string> reportedFailures_;
    bool writeFailed_ = false;
};
