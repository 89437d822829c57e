#include "ScpiParser.h"

#include "BlockHeader.h"
#include "ScpiError.h"
#include "core/CharClass.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>
#include <utility>

namespace {

// IEEE 488.2 white space: every control character and the blank, except newline, which
// ends the message before the parser sees it.
bool IsWhiteSpace(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u <= 0x20 && u != '\n';
}

bool IsMnemonicChar(char c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == '_';
}

// What the client sent at a failure point, for the error detail.
std::string Excerpt(std::string_view text, std::size_t position) {
    constexpr std::size_t kLength = 16;
    return std::string(text.substr(position, kLength));
}

int InvalidCharacterCode(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u < 0x20 || u > 0x7E) ? scpi_errors::kInvalidCharacter : scpi_errors::kSyntaxError;
}

} // namespace

ScpiParser::ScpiParser(std::string_view message) : text_(message) {}

void ScpiParser::Fail(int code, std::string detail) const {
    throw ScpiError(code, std::move(detail));
}

void ScpiParser::SkipWhiteSpace() {
    while (!AtEnd() && IsWhiteSpace(text_[position_])) {
        ++position_;
    }
}

bool ScpiParser::Next(CommandUnit& unit) {
    SkipWhiteSpace();
    // Empty units (";;" or a trailing ";") are tolerated rather than reported.
    while (Peek() == ';') {
        ++position_;
        SkipWhiteSpace();
    }
    if (AtEnd()) {
        return false;
    }
    unit = CommandUnit();
    ParseHeader(unit);
    if (!AtEnd() && !IsWhiteSpace(Peek()) && Peek() != ';') {
        Fail(InvalidCharacterCode(Peek()), "after header: " + Excerpt(text_, position_));
    }
    SkipWhiteSpace();
    if (!AtEnd() && Peek() != ';') {
        ParseArguments(unit);
    }
    SkipWhiteSpace();
    if (!AtEnd()) {
        if (Peek() != ';') {
            Fail(scpi_errors::kInvalidSeparator, Excerpt(text_, position_));
        }
        ++position_;
    }
    return true;
}

void ScpiParser::ParseHeader(CommandUnit& unit) {
    if (Peek() == '*') {
        ++position_;
        unit.common = true;
        unit.path.push_back(ParseMnemonic());
    } else {
        const bool fromRoot = Peek() == ':';
        if (fromRoot) {
            ++position_;
        }
        std::vector<std::string> path = fromRoot ? std::vector<std::string>() : prefix_;
        path.push_back(ParseMnemonic());
        while (Peek() == ':') {
            ++position_;
            path.push_back(ParseMnemonic());
        }
        prefix_.assign(path.begin(), path.end() - 1);
        unit.path = std::move(path);
    }
    if (Peek() == '?') {
        ++position_;
        unit.query = true;
    }
}

std::string ScpiParser::ParseMnemonic() {
    if (AtEnd()) {
        Fail(scpi_errors::kSyntaxError, "header ends early");
    }
    if (!IsAsciiLetter(Peek())) {
        Fail(InvalidCharacterCode(Peek()), "in header: " + Excerpt(text_, position_));
    }
    std::string mnemonic;
    while (!AtEnd() && IsMnemonicChar(Peek())) {
        mnemonic += ToUpperAscii(text_[position_++]);
    }
    if (mnemonic.size() > kMaxMnemonicLength) {
        Fail(scpi_errors::kMnemonicTooLong, mnemonic.substr(0, kMaxMnemonicLength + 4));
    }
    return mnemonic;
}

void ScpiParser::ParseArguments(CommandUnit& unit) {
    unit.arguments.push_back(ParseArgument());
    SkipWhiteSpace();
    while (Peek() == ',') {
        ++position_;
        SkipWhiteSpace();
        unit.arguments.push_back(ParseArgument());
        SkipWhiteSpace();
    }
}

ScpiArgument ScpiParser::ParseArgument() {
    const char c = Peek();
    if (c == '#') {
        return ParseHash();
    }
    if (c == '"' || c == '\'') {
        return ParseString();
    }
    if (IsDigit(c) || c == '+' || c == '-' || c == '.') {
        return ParseDecimal();
    }
    if (IsAsciiLetter(c)) {
        return ParseWord();
    }
    if (AtEnd() || c == ',' || c == ';') {
        Fail(scpi_errors::kSyntaxError, "empty parameter");
    }
    Fail(InvalidCharacterCode(c), "in parameter: " + Excerpt(text_, position_));
}

ScpiArgument ScpiParser::ParseHash() {
    const BlockHeader header = BlockHeader::Parse(text_.substr(position_));
    switch (header.status) {
    case BlockHeader::Status::Complete:
        break;
    case BlockHeader::Status::Indefinite:
        Fail(scpi_errors::kInvalidBlockData, "indefinite-length blocks are not accepted");
    case BlockHeader::Status::NotABlock:
        return ParseNonDecimal();
    default:
        Fail(scpi_errors::kInvalidBlockData, "bad block header " + Excerpt(text_, position_));
    }
    const std::size_t dataStart = position_ + header.headerLength;
    if (header.dataLength > text_.size() - dataStart) {
        Fail(scpi_errors::kInvalidBlockData, "block shorter than its header announces");
    }
    ScpiArgument argument;
    argument.kind = ScpiArgument::Kind::Block;
    argument.block = text_.substr(dataStart, static_cast<std::size_t>(header.dataLength));
    position_ = dataStart + static_cast<std::size_t>(header.dataLength);
    return argument;
}

ScpiArgument ScpiParser::ParseNonDecimal() {
    // "#H1F", "#Q17", "#B1011": unsigned integers of at most 64 bits.
    const std::size_t start = position_;
    position_ += 1;
    const char radixLetter = ToUpperAscii(Peek());
    const int radix = radixLetter == 'H' ? 16 : radixLetter == 'Q' ? 8 : radixLetter == 'B' ? 2 : 0;
    if (radix == 0) {
        Fail(InvalidCharacterCode(Peek()), "after '#': " + Excerpt(text_, start));
    }
    ++position_;
    const std::size_t digitsStart = position_;
    while (!AtEnd() && IsAsciiAlnum(Peek())) {
        ++position_;
    }
    const std::string_view digits = text_.substr(digitsStart, position_ - digitsStart);
    std::uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, radix);
    if (digits.empty() || end != digits.data() + digits.size()) {
        Fail(scpi_errors::kInvalidCharacterInNumber, Excerpt(text_, start));
    }
    if (error == std::errc::result_out_of_range) {
        Fail(scpi_errors::kDataOutOfRange, Excerpt(text_, start));
    }
    ScpiArgument argument;
    argument.number = static_cast<double>(value);
    return argument;
}

ScpiArgument ScpiParser::ParseDecimal() {
    const std::size_t start = position_;
    if (Peek() == '+' || Peek() == '-') {
        ++position_;
    }
    std::size_t mantissaDigits = 0;
    while (IsDigit(Peek())) {
        ++position_;
        ++mantissaDigits;
    }
    if (Peek() == '.') {
        ++position_;
        while (IsDigit(Peek())) {
            ++position_;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        Fail(scpi_errors::kInvalidCharacterInNumber, Excerpt(text_, start));
    }
    bool negativeExponent = false;
    if (ToUpperAscii(Peek()) == 'E') {
        std::size_t look = position_ + 1;
        if (look < text_.size() && (text_[look] == '+' || text_[look] == '-')) {
            negativeExponent = text_[look] == '-';
            ++look;
        }
        if (look < text_.size() && IsDigit(text_[look])) {
            position_ = look;
            while (IsDigit(Peek())) {
                ++position_;
            }
        }
    }
    std::string_view numberText = text_.substr(start, position_ - start);
    if (numberText.front() == '+') {
        numberText.remove_prefix(1);
    }
    ScpiArgument argument;
    const auto [end, error] =
        std::from_chars(numberText.data(), numberText.data() + numberText.size(), argument.number);
    if (error == std::errc::result_out_of_range) {
        if (!negativeExponent) {
            Fail(scpi_errors::kExponentTooLarge, std::string(numberText.substr(0, 24)));
        }
        argument.number = 0.0;
    } else if (error != std::errc() || end != numberText.data() + numberText.size()) {
        Fail(scpi_errors::kInvalidCharacterInNumber, Excerpt(text_, start));
    }
    ParseSuffix(argument);
    if (!AtEnd() && !IsWhiteSpace(Peek()) && Peek() != ',' && Peek() != ';') {
        Fail(scpi_errors::kInvalidCharacterInNumber, Excerpt(text_, start));
    }
    return argument;
}

void ScpiParser::ParseSuffix(ScpiArgument& argument) {
    std::size_t look = position_;
    while (look < text_.size() && IsWhiteSpace(text_[look])) {
        ++look;
    }
    if (look >= text_.size() || !IsAsciiLetter(text_[look])) {
        return;
    }
    position_ = look;
    while (!AtEnd() && (IsAsciiLetter(Peek()) || Peek() == '/')) {
        argument.suffix += ToUpperAscii(text_[position_++]);
    }
}

ScpiArgument ScpiParser::ParseString() {
    const char quote = text_[position_++];
    ScpiArgument argument;
    argument.kind = ScpiArgument::Kind::String;
    while (true) {
        if (AtEnd()) {
            Fail(scpi_errors::kInvalidStringData, "string not terminated");
        }
        const char c = text_[position_++];
        if (c == quote) {
            if (Peek() != quote) {
                break;
            }
            ++position_;
        }
        argument.text += c;
    }
    return argument;
}

ScpiArgument ScpiParser::ParseWord() {
    ScpiArgument argument;
    argument.kind = ScpiArgument::Kind::Word;
    while (!AtEnd() && IsMnemonicChar(Peek())) {
        argument.text += ToUpperAscii(text_[position_++]);
    }
    if (argument.text.size() > kMaxMnemonicLength) {
        Fail(scpi_errors::kInvalidCharacterData, argument.text.substr(0, kMaxMnemonicLength + 4));
    }
    return argument;
}
