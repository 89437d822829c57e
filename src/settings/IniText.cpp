#include "settings/IniText.h"

#include "settings/IniSyntax.h"

#include <unordered_set>

namespace {

using Line = IniLineReader::Line;

// Makes sure that the text ends with a line end before something is appended.
void EndLastLine(std::string& text, std::string_view lineEnd) {
    if (!text.empty() && text.back() != '\n') {
        text += lineEnd;
    }
}

std::string KeyLine(std::string_view key, std::string_view value, std::string_view lineEnd) {
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append("=").append(value).append(lineEnd);
    return line;
}

std::string HeaderLine(std::string_view section, std::string_view lineEnd) {
    std::string line = "[";
    line.append(section).append("]").append(lineEnd);
    return line;
}

// Rewrites or removes one key line; the name keeps its spelling in the file.
bool ChangeKeyLine(std::string& text, const Line& line, std::string_view name,
                   std::optional<std::string_view> value) {
    if (!value) {
        text.erase(line.begin, line.end - line.begin);
        return true;
    }
    const std::string replacement = KeyLine(name, *value, "");
    if (std::string_view(text).substr(line.begin, line.contentEnd - line.begin) == replacement) {
        return false;
    }
    text.replace(line.begin, line.contentEnd - line.begin, replacement);
    return true;
}

// Calls visit(meaning) for every key line of the sections named `section`, in file order,
// until it returns false. Lines outside those sections are skipped in bulk.
template <typename Visit>
void ForEachKeyIn(std::string_view text, std::string_view section, Visit visit) {
    const std::string_view wanted = TrimIniBlanks(section);
    IniLineReader reader(text);
    Line line;
    bool inside = false;
    while (reader.Advance(line, inside)) {
        const IniLineMeaning meaning = ReadIniLine(reader.Content(line));
        if (meaning.kind == IniLineKind::Section) {
            inside = SameIniName(meaning.name, wanted);
        } else if (inside && meaning.kind == IniLineKind::Key && !visit(meaning)) {
            return;
        }
    }
}

// Calls visit(name) for every section header until it returns false.
template <typename Visit> void ForEachHeader(std::string_view text, Visit visit) {
    IniLineReader reader(text);
    Line line;
    while (reader.NextMaybeHeader(line)) {
        const IniLineMeaning meaning = ReadIniLine(reader.Content(line));
        if (meaning.kind == IniLineKind::Section && !visit(meaning.name)) {
            return;
        }
    }
}

} // namespace

std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key) {
    const std::string_view wanted = TrimIniBlanks(key);
    std::optional<std::string_view> value;
    ForEachKeyIn(text, section, [&](const IniLineMeaning& meaning) {
        if (SameIniName(meaning.name, wanted)) {
            value = meaning.value;
        }
        return !value;
    });
    return value;
}

IniEntries ReadIniSection(std::string_view text, std::string_view section) {
    IniEntries entries;
    std::unordered_set<std::string> seen;
    ForEachKeyIn(text, section, [&](const IniLineMeaning& meaning) {
        if (seen.insert(LowerIniName(meaning.name)).second) {
            entries.emplace_back(meaning.name, meaning.value);
        }
        return true;
    });
    return entries;
}

std::vector<std::string> IniSectionNames(std::string_view text) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    ForEachHeader(text, [&](std::string_view name) {
        if (seen.insert(LowerIniName(name)).second) {
            names.emplace_back(name);
        }
        return true;
    });
    return names;
}

bool HasIniSection(std::string_view text, std::string_view section) {
    const std::string_view wanted = TrimIniBlanks(section);
    bool found = false;
    ForEachHeader(text, [&](std::string_view name) {
        found = SameIniName(name, wanted);
        return !found;
    });
    return found;
}

bool SetIniValue(std::string& text, std::string_view section, std::string_view key,
                 std::optional<std::string_view> value) {
    const std::string_view wantedSection = TrimIniBlanks(section);
    const std::string_view wantedKey = TrimIniBlanks(key);
    const std::string_view lineEnd = IniLineEnd(text);
    IniLineReader reader(text);
    Line line;
    bool inside = false;
    int sectionsSeen = 0;
    std::size_t insertAt = 0;
    while (reader.Advance(line, inside)) {
        const std::string_view content = reader.Content(line);
        const IniLineMeaning meaning = ReadIniLine(content);
        if (meaning.kind == IniLineKind::Section) {
            inside = SameIniName(meaning.name, wantedSection);
            if (inside && ++sectionsSeen == 1) {
                insertAt = line.end;
            }
        } else if (inside && meaning.kind == IniLineKind::Key) {
            if (SameIniName(meaning.name, wantedKey)) {
                return ChangeKeyLine(text, line, meaning.name, value);
            }
            if (sectionsSeen == 1) {
                insertAt = line.end;
            }
        }
    }
    if (!value) {
        return false;
    }
    if (sectionsSeen == 0) {
        EndLastLine(text, lineEnd);
        text += HeaderLine(wantedSection, lineEnd);
        insertAt = text.size();
    } else if (insertAt == text.size()) {
        EndLastLine(text, lineEnd);
        insertAt = text.size();
    }
    text.insert(insertAt, KeyLine(wantedKey, *value, lineEnd));
    return true;
}

bool RemoveIniSection(std::string& text, std::string_view section) {
    const std::vector<IniSpan> spans = FindIniSpans(text, section);
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        text.erase(span->headerBegin, span->end - span->headerBegin);
    }
    return !spans.empty();
}

bool ReplaceIniSection(std::string& text, std::string_view section, const IniEntries& entries) {
    const std::string_view lineEnd = IniLineEnd(text);
    std::string body;
    for (const auto& [key, value] : entries) {
        body += KeyLine(TrimIniBlanks(key), value, lineEnd);
    }
    const std::vector<IniSpan> spans = FindIniSpans(text, section);
    if (spans.empty()) {
        EndLastLine(text, lineEnd);
        text += HeaderLine(TrimIniBlanks(section), lineEnd);
        text += body;
        return true;
    }
    std::string edited = text;
    // Later sections of the same name go; the first one takes the new body.
    for (std::size_t i = spans.size(); i-- > 1;) {
        edited.erase(spans[i].headerBegin, spans[i].end - spans[i].headerBegin);
    }
    std::size_t bodyBegin = spans.front().bodyBegin;
    std::size_t bodyEnd = spans.front().lastFilledEnd;
    if (bodyBegin == edited.size() && !body.empty()) {
        EndLastLine(edited, lineEnd);
        bodyBegin = bodyEnd = edited.size();
    }
    edited.replace(bodyBegin, bodyEnd - bodyBegin, body);
    const bool changed = edited != text;
    text = std::move(edited);
    return changed;
}

std::string IniWriteProblem(std::string_view section, std::string_view key,
                            std::optional<std::string_view> value) {
    const auto breaksLine = [](std::string_view text) {
        return text.find_first_of("\r\n") != std::string_view::npos;
    };
    if (breaksLine(section) || TrimIniBlanks(section).empty()) {
        return "the section name is empty or holds a line break";
    }
    const std::string_view name = TrimIniBlanks(key);
    if (breaksLine(key) || name.empty() || name.find('=') != std::string_view::npos ||
        name.front() == '[' || name.front() == ';') {
        return "the key name \"" + std::string(key) + "\" cannot be written";
    }
    if (value && breaksLine(*value)) {
        return "the value of " + std::string(key) + " holds a line break";
    }
    return {};
}
