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
std::string LowerAscii(std::string_view name);
// "\r\n" when the text's first line ends so, else "\n".
std::string_view LineEndOfText(std::string_view text);
