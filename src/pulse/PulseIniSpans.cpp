#include "pulse/PulseIniSpans.h"

#include "core/CharClass.h"

#include <cstring>

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlankInLine(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlankInLine(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The section name of a header line, or false when the line is no header.
bool HeaderName(std::string_view line, std::string_view& name) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') {
        return false;
    }
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = TrimBlanks(line.substr(1, close - 1));
    return true;
}

} // namespace

bool IniKeyLine(std::string_view line, std::string_view& name, std::string_view& value) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';' || line.front() == '[') {
        return false;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    name = TrimBlanks(line.substr(0, equals));
    value = TrimBlanks(line.substr(equals + 1));
    return true;
}

std::string LowerAscii(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = ToLowerAscii(c);
    }
    return lower;
}

std::string_view LineEndOfText(std::string_view text) {
    const std::size_t newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r'
               ? std::string_view("\r\n")
               : std::string_view("\n");
}

std::vector<IniSpan> FindIniSpans(std::string_view text) {
    std::vector<IniSpan> spans;
    std::size_t position = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (position < text.size()) {
        const void* newline = std::memchr(text.data() + position, '\n', text.size() - position);
        const std::size_t lineEnd =
            newline == nullptr ? text.size() : static_cast<const char*>(newline) - text.data() + 1;
        const std::size_t contentEnd = newline == nullptr ? lineEnd : lineEnd - 1;
        const std::string_view line = text.substr(position, contentEnd - position);
        std::string_view name;
        if (HeaderName(line, name)) {
            if (!spans.empty()) {
                spans.back().end = position;
            }
            spans.push_back({LowerAscii(name), position, lineEnd, lineEnd, text.size()});
        } else if (!spans.empty() && !TrimBlanks(line).empty()) {
            spans.back().lastFilledEnd = lineEnd;
        }
        position = lineEnd;
    }
    return spans;
}
