#pragma once

#include <cstddef>
#include <string_view>

// Walks the lines of a settings text. A line ends at "\n"; its content leaves out the
// "\n" and one "\r" before it. A UTF-8 byte order mark at the start of a whole text is
// skipped; a part of a text (a section's body) is read from its first byte.
class IniLineReader {
public:
    struct Line {
        std::size_t begin = 0;
        std::size_t contentEnd = 0; // before "\r\n" or "\n"
        std::size_t end = 0;        // start of the next line
    };

    // A whole settings text.
    explicit IniLineReader(std::string_view text);
    // The lines of text[begin, end), which must start at a line's start.
    IniLineReader(std::string_view text, std::size_t begin, std::size_t end);

    bool Next(Line& line);
    // Moves to the next line whose first non-blank character is "[", jumping over the
    // lines before it in bulk: outside a wanted section nothing else matters.
    bool NextMaybeHeader(Line& line);
    // The next line, or outside a wanted section the next line that may be a header.
    bool Advance(Line& line, bool inside) { return inside ? Next(line) : NextMaybeHeader(line); }

    std::string_view Content(const Line& line) const {
        return text_.substr(line.begin, line.contentEnd - line.begin);
    }
    // Where the next line starts.
    std::size_t Position() const { return position_; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};
