#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using IniEntries = std::vector<std::pair<std::string, std::string>>;

// A settings file in the private-profile format, shared with another process that may
// write it at the same time. Every read parses the file as it is on disk now (or a cache
// validated against the file on every read); every write takes the advisory lock,
// re-reads, changes and atomically replaces the file, so neither side loses the other's
// keys and no reader ever sees a torn file. Section and key names are case-insensitive.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value with surrounding blanks removed; nullopt when the file, the section or
    // the key is missing.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    IniEntries ReadSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    bool HasSection(std::string_view section) const;

    // A missing value deletes the key. False when the file could not be written; the
    // file on disk is then unchanged and LastError() says why.
    bool Write(std::string_view section, std::string_view key,
               std::optional<std::string_view> value);
    bool DeleteSection(std::string_view section);
    // Replaces the whole content of the section (creating it when needed).
    bool WriteSection(std::string_view section, const IniEntries& entries);

    const std::string& LastError() const { return lastError_; }
    // Files are written through AtomicFileWriter: a new file is readable and writable by
    // its owner only, an existing one keeps its permission bits.

    // Applies an edit of the whole text under one hold of the lock, to the text as it is on
    // disk then; the edit returns false when it changed nothing, and the file is then not
    // rewritten. The edit may run twice (once without the lock, to find out whether
    // anything changes at all), so it must only depend on the text it is given.
    bool Update(const std::function<bool(std::string&)>& edit);

private:
    bool ReplaceContent(const std::string& text);
    bool Fail(std::string reason);

    std::string path_;
    std::string lastError_;
};
