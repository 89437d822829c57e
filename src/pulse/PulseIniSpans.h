#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where each section of a settings text lies, found in one pass with the settings
// layer's rules: a line whose first non-blank character is "[" and that holds a "]"
// opens the section named between them (blanks trimmed, compared without case).
struct IniSpan {
    std::string lowerName;
    std::size_t headerBegin = 0;
    std::size_t bodyBegin = 0;     // after the header's line end
    std::size_t lastFilledEnd = 0; // after the last non-blank line of the section
    std::size_t end = 0;           // the next header or the end of the text
};

std::vector<IniSpan> FindIniSpans(std::string_view text);
// A key line as the settings layer reads one: "name = value" with blanks trimmed, not
// starting with ";" or "[". False for any other line. `line` is without its line end.
bool IniKeyLine(std::string_view line, std::string_view& name, std::string_view& value);
// Calls visit(name, value) for each key line of a section's body (the lines after its
// header), in order.
template <typename Visit> void ForEachIniKey(std::string_view body, Visit visit) {
    std::size_t position = 0;
    while (position < body.size()) {
        std::size_t end = body.find('\n', position);
        const std::size_t next = end == std::string_view::npos ? body.size() : end + 1;
        end = end == std::string_view::npos ? body.size() : end;
        std::string_view name;
        std::string_view value;
        if (IniKeyLine(body.substr(position, end - position), name, value)) {
            visit(name, value);
        }
        position = next;
    }
}
std::string LowerAscii(std::string_view name);
// "\r\n" when the text's first line ends so, else "\n".
std::string_view LineEndOfText(std::string_view text);
