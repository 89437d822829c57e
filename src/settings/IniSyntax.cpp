#include "settings/IniSyntax.h"

#include "core/CharClass.h"

namespace {

// Spans of the headers whose names `wanted` accepts; lines outside them are only looked
// at as far as they may be headers.
template <typename Wanted> std::vector<IniSpan> CollectSpans(std::string_view text, Wanted wanted) {
    std::vector<IniSpan> spans;
    IniLineReader reader(text);
    IniLineReader::Line line;
    bool inside = false;
    while (reader.Advance(line, inside)) {
        const std::string_view content = TrimIniBlanks(reader.Content(line));
        const IniLineMeaning meaning =
            !content.empty() && content.front() == '[' ? ReadIniLine(content) : IniLineMeaning{};
        if (meaning.kind == IniLineKind::Section) {
            if (inside) {
                spans.back().end = line.begin;
            }
            inside = wanted(meaning.name);
            if (inside) {
                spans.push_back(
                    {LowerIniName(meaning.name), line.begin, line.end, line.end, text.size()});
            }
        } else if (inside && !content.empty()) {
            spans.back().lastFilledEnd = line.end;
        }
    }
    return spans;
}

} // namespace

IniLineMeaning ReadIniLine(std::string_view content) {
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

std::string_view TrimIniBlanks(std::string_view text) {
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

bool SameIniName(std::string_view a, std::string_view b) {
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

std::string LowerIniName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = ToLowerAscii(c);
    }
    return lower;
}

std::string_view IniLineEnd(std::string_view text) {
    const std::size_t newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r'
               ? std::string_view("\r\n")
               : std::string_view("\n");
}

std::vector<IniSpan> FindIniSpans(std::string_view text) {
    return CollectSpans(text, [](std::string_view) { return true; });
}

std::vector<IniSpan> FindIniSpans(std::string_view text, std::string_view section) {
    const std::string_view wanted = TrimIniBlanks(section);
    return CollectSpans(text,
                        [wanted](std::string_view name) { return SameIniName(name, wanted); });
}
