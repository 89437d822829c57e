#pragma once

#include "settings/IniFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The private-profile format on the text of a whole file, without any file access. Lines
// mean what IniSyntax says: headers, keys, and lines that mean nothing (blank lines, ";"
// comments, lines without "=", text before the first header, and a "[" line without "]").
// Such a damaged header opens no section, so the keys below it stay in the section above
// it rather than moving to a section nobody asked for. When a key or a section appears
// twice, the first key in file order wins. A UTF-8 byte order mark at the start is skipped.
//
// Edits change only the lines they must and keep every other byte; new lines use the
// text's line end ("\r\n" when its first line ends so, else "\n").

// The value of a key; nullopt when the section or the key is missing.
std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key);
// The keys of a section in file order, each name once (its first value).
IniEntries ReadIniSection(std::string_view text, std::string_view section);
std::vector<std::string> IniSectionNames(std::string_view text);
bool HasIniSection(std::string_view text, std::string_view section);

// Sets a key (a missing value deletes it). An existing key keeps its place and its
// spelling; a new key goes after the last key of its section, a new section at the end.
// True when the text changed.
bool SetIniValue(std::string& text, std::string_view section, std::string_view key,
                 std::optional<std::string_view> value);
// Removes every header of the section with its lines. True when the text changed.
bool RemoveIniSection(std::string& text, std::string_view section);
// Replaces the keys and other lines of the section (blank lines at its end stay);
// creates the section when missing. True when the text changed.
bool ReplaceIniSection(std::string& text, std::string_view section, const IniEntries& entries);

// Why a name or value cannot be written as one line (empty when it can).
std::string IniWriteProblem(std::string_view section, std::string_view key,
                            std::optional<std::string_view> value);
