#include "settings/IniSyntax.h"

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
