#include "synthesis/ExpressionTokenizer.h"

#include "core/AppState.h"
#include "core/CharClass.h"
#include "core/StringTable.h"
#include "settings/NumberFormat.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <utility>

namespace {

// Longer numbers, names and file names are refused.
constexpr std::size_t kMaxTokenLength = 79;

bool EqualsIgnoringCase(const std::string& text, const char* name) {
    std::size_t i = 0;
    for (; i < text.size() && name[i] != '\0'; ++i) {
        if (ToLowerAscii(text[i]) != name[i]) {
            return false;
        }
    }
    return i == text.size() && name[i] == '\0';
}

// Length of the number the C library's reader accepts at `at` (no sign, no white space):
// digits, an optional point and fraction, an optional exponent with its own digits.
std::size_t NumberLength(const char* at) {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (IsDigit(at[i])) {
        ++i;
        ++digits;
    }
    if (at[i] == '.') {
        ++i;
        while (IsDigit(at[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (at[i] == 'e' || at[i] == 'E') {
        std::size_t j = i + 1;
        if (at[j] == '+' || at[j] == '-') {
            ++j;
        }
        if (IsDigit(at[j])) {
            while (IsDigit(at[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

std::string SixDigits(double value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, end.ptr);
}

} // namespace

ExpressionTokenizer::ExpressionTokenizer(const ExpressionSettings& settings)
    : fm_(settings.fm), folder_(settings.folder),
      amplitudeText_(std::to_string(settings.amplitude)),
      periodText_(std::to_string(settings.period)),
      // f and omg reach the arithmetic through six significant digits. The exponent's
      // width in the text does not change the value read back.
      frequencyText_(SixDigits(1.0 / settings.period)),
      omegaText_(SixDigits(6.283185307179586 / settings.period)) {}

const OperatorTable& ExpressionTokenizer::Operators() {
    static const OperatorTable table = {{
        {"|"},
        {"&"},
        {"<", ">", "="},
        {"+", "-"},
        {"*", "/", "%"},
        {"^"},
        {"sin(", "cos(", "tan(", "cotan(", "ln(", "log(", "abs(", "(", ")", "-"},
        {},
    }};
    return table;
}

void ExpressionTokenizer::Start(const char* text) {
    cursor_ = text;
}

std::size_t ExpressionTokenizer::MatchOperator(const char* at, std::string* spelling) {
    for (const auto& row : Operators()) {
        for (const char* entry : row) {
            if (entry == nullptr) {
                break;
            }
            std::size_t i = 0;
            while (entry[i] != '\0' && ToLowerAscii(at[i]) == entry[i]) {
                ++i;
            }
            if (entry[i] == '\0') {
                if (spelling != nullptr) {
                    *spelling = entry;
                }
                return i;
            }
        }
    }
    return 0;
}

void ExpressionTokenizer::Next(ExpressionToken& token) {
    token.kind = TokenKind::None;
    token.text.clear();
    token.path.clear();
    token.modeFile = false;
    while (IsCSpace(*cursor_)) {
        ++cursor_;
    }
    const char c = *cursor_;
    if (c == '-' || c == '+') {
        token.kind = TokenKind::Delimiter;
        token.text.assign(1, c);
        ++cursor_;
        return;
    }
    if (const std::size_t length = NumberLength(cursor_); length > 0) {
        token.text.assign(cursor_, length);
        cursor_ += length;
        if (length > kMaxTokenLength) {
            throw static_cast<int>(MsgUnknownComponent);
        }
        token.kind = TokenKind::Number;
        token.number = ReadNumber(token.text);
        return;
    }
    if (const std::size_t length = MatchOperator(cursor_, &token.text); length > 0) {
        token.kind = TokenKind::Delimiter;
        cursor_ += length;
        return;
    }
    if (IsAsciiLetter(c) || IsDigit(c) || c == '.') {
        ReadWord(token);
    }
}

void ExpressionTokenizer::ReadWord(ExpressionToken& token) {
    // A word runs up to the next operator, so blanks and other characters belong to it.
    const char* end = cursor_ + 1;
    while (*end != '\0' && MatchOperator(end, nullptr) == 0) {
        ++end;
    }
    const std::string word(cursor_, end);
    cursor_ = end;
    if (word.size() > kMaxTokenLength) {
        throw static_cast<int>(MsgUnknownComponent);
    }
    if (word.find('.') != std::string::npos) {
        ReadFileName(word, token);
    } else {
        ReadName(word, token);
    }
}

void ExpressionTokenizer::ReadFileName(const std::string& word, ExpressionToken& token) const {
    std::string path = word;
    // A name typed with the original separator still finds its file.
    for (char& c : path) {
        if (c == '\\') {
            c = kPathSeparator;
        }
    }
    const bool fullPath = word.find(":\\") != std::string::npos || word[0] == '/';
    if (!fullPath) {
        path = folder_ + path;
    }
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw static_cast<int>(MsgWaveformFileMissing);
    }
    token.kind = TokenKind::WaveFile;
    token.text = word;
    token.path = path;
    token.modeFile = word.find(fm_ ? ".wvf" : ".wav") != std::string::npos;
}

void ExpressionTokenizer::ReadName(const std::string& word, ExpressionToken& token) const {
    if (EqualsIgnoringCase(word, "p")) {
        token.kind = TokenKind::Variable;
        token.text.assign(1, 'p');
        return;
    }
    // pi keeps full precision, e only ten digits.
    static const std::string kPi = "3.14159265358979323846";
    static const std::string kE = "2.718281828";
    const std::pair<const char*, const std::string*> names[] = {
        {"pi", &kPi},
        {"e", &kE},
        {"amp", &amplitudeText_},
        {"per", &periodText_},
        {"f", &frequencyText_},
        {"omg", &omegaText_},
    };
    for (const auto& [name, text] : names) {
        if (EqualsIgnoringCase(word, name)) {
            token.kind = TokenKind::Number;
            token.text = *text;
            token.number = ReadNumber(token.text);
            return;
        }
    }
    throw static_cast<int>(MsgUnknownComponent);
}

int ExpressionTokenizer::FindOperator(const ExpressionToken& token, int row) {
    if (row == 6 && token.modeFile) {
        return kFileColumn;
    }
    const auto& entries = Operators()[row];
    for (int column = 0; column < kOperatorColumns && entries[column] != nullptr; ++column) {
        if (token.text == entries[column]) {
            return column;
        }
    }
    return -1;
}

double ExpressionTokenizer::ReadNumber(const std::string& text) {
    return LeadingDouble(text);
}
