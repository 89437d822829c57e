#pragma once

#include "core/CharClass.h"
#include "settings/IniLineReader.h"

#include <string>
#include <string_view>
#include <vector>

// The rules of the private-profile format that every reader and writer of a settings text
// shares (IniText, ProfileBatch, ProfileSnapshot): what a line means, how names compare,
// which line end new lines take and where sections lie.
//
// A line whose first non-blank character is "[" and that holds a "]" is a section header;
// the name is what lies between the "[" and the last "]", blanks trimmed. Any other line
// holding "=" and not starting with ";" or "[" is a key, name and value trimmed of blanks.
// Everything else means nothing. Names compare without case (ASCII).

enum class IniLineKind { Other, Section, Key };

struct IniLineMeaning {
    IniLineKind kind = IniLineKind::Other;
    std::string_view name; // the section's or the key's
    std::string_view value;
};

// `content` is a line without its line end.
inline IniLineMeaning ReadIniLine(std::string_view content);
inline std::string_view TrimIniBlanks(std::string_view text);
inline bool SameIniName(std::string_view a, std::string_view b);
// The name as names are compared: ASCII letters in lower case.
std::string LowerIniName(std::string_view name);
// "\r\n" when the text's first line ends so, else "\n": the line end of new lines.
std::string_view IniLineEnd(std::string_view text);

// ReadIniLine, TrimIniBlanks and SameIniName run once per line of every read: they are
// defined here so that they inline.
inline std::string_view TrimIniBlanks(std::string_view text) {
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

inline bool SameIniName(std::string_view a, std::string_view b) {
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

inline IniLineMeaning ReadIniLine(std::string_view content) {
    IniLineMeaning meaning;
    const std::string_view line = TrimIniBlanks(content);
    if (line.empty() || line.front() == ';') {
        return meaning;
    }
    if (line.front() == '[') {
        const std::size_t close = line.rfind(']');
        if (close != std::string_view::npos) {
            meaning.kind = IniLineKind::Section;
            meaning.name = TrimIniBlanks(line.substr(1, close - 1));
        }
        return meaning;
    }
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
        meaning.kind = IniLineKind::Key;
        meaning.name = TrimIniBlanks(line.substr(0, equals));
        meaning.value = TrimIniBlanks(line.substr(equals + 1));
    }
    return meaning;
}

// Where one section header and its lines lie in a text.
struct IniSpan {
    std::string lowerName;
    std::size_t headerBegin = 0;
    std::size_t bodyBegin = 0;     // after the header's line end
    std::size_t lastFilledEnd = 0; // after the last non-blank line of the section
    std::size_t end = 0;           // the next header or the end of the text
};

// Every section header of the text, in file order.
std::vector<IniSpan> FindIniSpans(std::string_view text);
// The headers named `section` (blanks around it trimmed); the lines outside them are
// skipped in bulk.
std::vector<IniSpan> FindIniSpans(std::string_view text, std::string_view section);

// Calls visit(name, value) for each key line of a section's body (the lines after its
// header), in order.
template <typename Visit> void ForEachIniKey(std::string_view body, Visit visit) {
    IniLineReader reader(body, 0, body.size());
    IniLineReader::Line line;
    while (reader.Next(line)) {
        const IniLineMeaning meaning = ReadIniLine(reader.Content(line));
        if (meaning.kind == IniLineKind::Key) {
            visit(meaning.name, meaning.value);
        }
    }
}
