#pragma once

#include <array>
#include <string>

// What a token of a formula is; the numbers are those the formula language has always used.
enum class TokenKind { None = 0, Delimiter = 1, Variable = 2, Number = 3, WaveFile = 4 };

// Spellings of the operators (rows 0-5, one row per precedence level, lowest first) and of
// the functions, parentheses and unary minus (row 6). A row ends at its first null entry;
// the column of an entry is its operator index.
inline constexpr int kOperatorRows = 8;
inline constexpr int kOperatorColumns = 10;
using OperatorTable = std::array<std::array<const char*, kOperatorColumns>, kOperatorRows>;

// Column indices of row 6 with a meaning of their own.
inline constexpr int kOpenColumn = 7;
inline constexpr int kFileColumn = 8; // also ")" itself
inline constexpr int kMinusColumn = 9;

// The evaluator's fixed settings: the mode chooses the sample width of file operands, the
// folder (with its trailing separator) prefixes relative file names, and amplitude and
// period are the values of "amp" and "per".
struct ExpressionSettings {
    bool fm = false;
    std::string folder;
    int amplitude = 0;
    int period = 1;
};

struct ExpressionToken {
    TokenKind kind = TokenKind::None;
    // Delimiter: the operator's spelling; Number: its digits (a named value's text);
    // Variable: "p"; WaveFile: the name as written. Empty for None.
    std::string text;
    double number = 0;     // Number: the value of text
    std::string path;      // WaveFile: the file the name stands for
    bool modeFile = false; // WaveFile whose name carries the mode's extension
};

// Splits formula text into tokens. Shared by the point-by-point evaluator and the
// preparation of a range, so that both see the same tokens.
class ExpressionTokenizer {
public:
    explicit ExpressionTokenizer(const ExpressionSettings& settings);

    static const OperatorTable& Operators();

    // Starts at the beginning of a zero-terminated text.
    void Start(const char* text);
    // Reads the token at the cursor. Throws the message id when a word is unknown, too
    // long, or names a file that does not exist.
    void Next(ExpressionToken& token);
    // Column of the token in `row` of the operator table, or -1. In row 6 a file operand of
    // the mode's type counts as column 8.
    static int FindOperator(const ExpressionToken& token, int row);
    // A number's text as the C library reads it in the "C" locale, whatever the locale.
    static double ReadNumber(const std::string& text);

private:
    static std::size_t MatchOperator(const char* at, std::string* spelling);
    void ReadWord(ExpressionToken& token);
    void ReadFileName(const std::string& word, ExpressionToken& token) const;
    void ReadName(const std::string& word, ExpressionToken& token) const;

    bool fm_;
    std::string folder_;
    std::string amplitudeText_;
    std::string periodText_;
    std::string frequencyText_;
    std::string omegaText_;
    const char* cursor_ = "";
};
