#include "settings/IniLineReader.h"

IniLineReader::IniLineReader(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
        position_ = 3;
    }
}

IniLineReader::IniLineReader(std::string_view text, std::size_t begin, std::size_t end)
    : text_(text.substr(0, end)), position_(begin) {}
