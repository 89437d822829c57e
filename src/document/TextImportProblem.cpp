#include "document/TextImportProblem.h"

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// At most kLongestText bytes, never ending inside a UTF-8 sequence, with "..." when cut.
std::string Shorten(std::string_view text) {
    if (text.size() <= TextImportProblem::kLongestText) {
        return std::string(text);
    }
    std::size_t cut = TextImportProblem::kLongestText;
    while (cut > 0 && IsContinuationByte(text[cut])) {
        --cut;
    }
    return std::string(text.substr(0, cut)) + "...";
}

} // namespace

TextImportProblem::TextImportProblem(Kind kind, unsigned long long line, std::string_view text)
    : kind_(kind), line_(line), text_(Shorten(text)) {
    for (char& c : text_) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
}

std::string TextImportProblem::Describe() const {
    const std::string where = "Line " + std::to_string(line_) + ": \"" + text_ + "\" ";
    switch (kind_) {
    case Kind::NotANumber:
        return where + "is not a number.";
    case Kind::OutOfRange:
        return where + "is out of range.";
    case Kind::IncompleteRecord:
        return where + "is not a record of two numbers.";
    case Kind::Cancelled:
        return "The import was cancelled.";
    case Kind::None:
        break;
    }
    return {};
}
