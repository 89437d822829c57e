#include "settings/IniText.h"

#include "core/CharClass.h"

#include <cstring>
#include <unordered_set>

namespace {

struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0; // before "\r\n" or "\n"
    std::size_t end = 0;        // start of the next line
};

enum class LineKind { Other, Section, Key };

struct LineMeaning {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlankInLine(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlankInLine(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string LowerName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = ToLowerAscii(c);
    }
    return lower;
}

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
            position_ = 3;
        }
    }

    bool Next(Line& line) {
        if (position_ >= text_.size()) {
            return false;
        }
        line.begin = position_;
        const void* newline = std::memchr(text_.data() + position_, '\n', text_.size() - position_);
        if (newline == nullptr) {
            line.contentEnd = line.end = text_.size();
        } else {
            const std::size_t at = static_cast<const char*>(newline) - text_.data();
            line.end = at + 1;
            line.contentEnd = at > line.begin && text_[at - 1] == '\r' ? at - 1 : at;
        }
        position_ = line.end;
        return true;
    }

    // Moves to the next line whose first non-blank character is "[", jumping over the
    // lines before it in bulk: outside the wanted section nothing else matters.
    bool NextMaybeHeader(Line& line) {
        const char* base = text_.data();
        while (position_ < text_.size()) {
            const void* found = std::memchr(base + position_, '[', text_.size() - position_);
            if (found == nullptr) {
                break;
            }
            const std::size_t bracket = static_cast<const char*>(found) - base;
            std::size_t start = bracket;
            while (start > position_ && IsBlankInLine(base[start - 1])) {
                --start;
            }
            if (start == position_ || base[start - 1] == '\n') {
                position_ = start;
                return Next(line);
            }
            const void* newline = std::memchr(base + bracket, '\n', text_.size() - bracket);
            position_ =
                newline == nullptr ? text_.size() : static_cast<const char*>(newline) - base + 1;
        }
        position_ = text_.size();
        return false;
    }

    // The next line, or outside a wanted section the next line that may be a header.
    bool Advance(Line& line, bool inside) { return inside ? Next(line) : NextMaybeHeader(line); }

    std::string_view Content(const Line& line) const {
        return text_.substr(line.begin, line.contentEnd - line.begin);
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

LineMeaning Classify(std::string_view content) {
    LineMeaning meaning;
    const std::string_view line = Trim(content);
    if (line.empty() || line.front() == ';') {
        return meaning;
    }
    if (line.front() == '[') {
        const std::size_t close = line.rfind(']');
        if (close != std::string_view::npos) {
            meaning.kind = LineKind::Section;
            meaning.name = Trim(line.substr(1, close - 1));
        }
        return meaning;
    }
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
        meaning.kind = LineKind::Key;
        meaning.name = Trim(line.substr(0, equals));
        meaning.value = Trim(line.substr(equals + 1));
    }
    return meaning;
}

std::string_view LineEndOf(std::string_view text) {
    const std::size_t newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r'
               ? std::string_view("\r\n")
               : std::string_view("\n");
}

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

// Where the sections of one name lie in a text.
struct SectionSpan {
    Line header;
    std::size_t lastFilledEnd = 0; // end of its last non-blank line
    std::size_t end = 0;           // start of the next header, or the end of the text
};

std::vector<SectionSpan> FindSections(std::string_view text, std::string_view section) {
    std::vector<SectionSpan> spans;
    const std::string_view wanted = Trim(section);
    LineReader reader(text);
    Line line;
    bool inside = false;
    while (reader.Advance(line, inside)) {
        const std::string_view content = reader.Content(line);
        const LineMeaning meaning = Classify(content);
        if (meaning.kind == LineKind::Section) {
            if (inside) {
                spans.back().end = line.begin;
            }
            inside = SameName(meaning.name, wanted);
            if (inside) {
                spans.push_back({line, line.end, text.size()});
            }
        } else if (inside && !Trim(content).empty()) {
            spans.back().lastFilledEnd = line.end;
        }
    }
    return spans;
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
    const std::string_view wanted = Trim(section);
    LineReader reader(text);
    Line line;
    bool inside = false;
    while (reader.Advance(line, inside)) {
        const LineMeaning meaning = Classify(reader.Content(line));
        if (meaning.kind == LineKind::Section) {
            inside = SameName(meaning.name, wanted);
        } else if (inside && meaning.kind == LineKind::Key && !visit(meaning)) {
            return;
        }
    }
}

// Calls visit(name) for every section header until it returns false.
template <typename Visit> void ForEachHeader(std::string_view text, Visit visit) {
    LineReader reader(text);
    Line line;
    while (reader.NextMaybeHeader(line)) {
        const LineMeaning meaning = Classify(reader.Content(line));
        if (meaning.kind == LineKind::Section && !visit(meaning.name)) {
            return;
        }
    }
}

} // namespace

std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key) {
    const std::string_view wanted = Trim(key);
    std::optional<std::string_view> value;
    ForEachKeyIn(text, section, [&](const LineMeaning& meaning) {
        if (SameName(meaning.name, wanted)) {
            value = meaning.value;
        }
        return !value;
    });
    return value;
}

IniEntries ReadIniSection(std::string_view text, std::string_view section) {
    IniEntries entries;
    std::unordered_set<std::string> seen;
    ForEachKeyIn(text, section, [&](const LineMeaning& meaning) {
        if (seen.insert(LowerName(meaning.name)).second) {
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
        if (seen.insert(LowerName(name)).second) {
            names.emplace_back(name);
        }
        return true;
    });
    return names;
}

bool HasIniSection(std::string_view text, std::string_view section) {
    const std::string_view wanted = Trim(section);
    bool found = false;
    ForEachHeader(text, [&](std::string_view name) {
        found = SameName(name, wanted);
        return !found;
    });
    return found;
}

bool SetIniValue(std::string& text, std::string_view section, std::string_view key,
                 std::optional<std::string_view> value) {
    const std::string_view wantedSection = Trim(section);
    const std::string_view wantedKey = Trim(key);
    const std::string_view lineEnd = LineEndOf(text);
    LineReader reader(text);
    Line line;
    bool inside = false;
    int sectionsSeen = 0;
    std::size_t insertAt = 0;
    while (reader.Advance(line, inside)) {
        const std::string_view content = reader.Content(line);
        const LineMeaning meaning = Classify(content);
        if (meaning.kind == LineKind::Section) {
            inside = SameName(meaning.name, wantedSection);
            if (inside && ++sectionsSeen == 1) {
                insertAt = line.end;
            }
        } else if (inside && meaning.kind == LineKind::Key) {
            if (SameName(meaning.name, wantedKey)) {
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
    const std::vector<SectionSpan> spans = FindSections(text, section);
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        text.erase(span->header.begin, span->end - span->header.begin);
    }
    return !spans.empty();
}

bool ReplaceIniSection(std::string& text, std::string_view section, const IniEntries& entries) {
    const std::string_view lineEnd = LineEndOf(text);
    std::string body;
    for (const auto& [key, value] : entries) {
        body += KeyLine(Trim(key), value, lineEnd);
    }
    const std::vector<SectionSpan> spans = FindSections(text, section);
    if (spans.empty()) {
        EndLastLine(text, lineEnd);
        text += HeaderLine(Trim(section), lineEnd);
        text += body;
        return true;
    }
    std::string edited = text;
    // Later sections of the same name go; the first one takes the new body.
    for (std::size_t i = spans.size(); i-- > 1;) {
        edited.erase(spans[i].header.begin, spans[i].end - spans[i].header.begin);
    }
    std::size_t bodyBegin = spans.front().header.end;
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
    if (breaksLine(section) || Trim(section).empty()) {
        return "the section name is empty or holds a line break";
    }
    const std::string_view name = Trim(key);
    if (breaksLine(key) || name.empty() || name.find('=') != std::string_view::npos ||
        name.front() == '[' || name.front() == ';') {
        return "the key name \"" + std::string(key) + "\" cannot be written";
    }
    if (value && breaksLine(*value)) {
        return "the value of " + std::string(key) + " holds a line break";
    }
    return {};
}
