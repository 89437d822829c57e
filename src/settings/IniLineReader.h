#pragma once

#include "core/CharClass.h"

#include <cstddef>
#include <cstring>
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

    // Next and NextMaybeHeader are inline: they run once per line of every read.
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

inline bool IniLineReader::Next(Line& line) {
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

inline bool IniLineReader::NextMaybeHeader(Line& line) {
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
