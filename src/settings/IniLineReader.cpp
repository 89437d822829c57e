#include "settings/IniLineReader.h"

#include "core/CharClass.h"

#include <cstring>

IniLineReader::IniLineReader(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
        position_ = 3;
    }
}

IniLineReader::IniLineReader(std::string_view text, std::size_t begin, std::size_t end)
    : text_(text.substr(0, end)), position_(begin) {}

bool IniLineReader::Next(Line& line) {
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

bool IniLineReader::NextMaybeHeader(Line& line) {
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
