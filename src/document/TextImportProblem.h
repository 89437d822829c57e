#pragma once

#include <string>
#include <string_view>

// Why imported text was refused, as the user is told: the line (from 1) and the text that
// could not be taken. A waveform is never imported shortened: text that is not a number,
// a number beyond what the target can hold or a record without its two numbers refuses
// the whole file.
class TextImportProblem {
public:
    // Cancelled: the user stopped the import; nothing is wrong with the text.
    enum class Kind { None, NotANumber, OutOfRange, IncompleteRecord, Cancelled };

    TextImportProblem() = default;
    // `text` is shortened to what a message box can show; control characters become "?".
    TextImportProblem(Kind kind, unsigned long long line, std::string_view text);

    bool Found() const { return kind_ != Kind::None; }
    Kind GetKind() const { return kind_; }
    unsigned long long Line() const { return line_; }
    const std::string& Text() const { return text_; }
    // "Line 3: "1e400" is out of range."
    std::string Describe() const;

    static constexpr std::size_t kLongestText = 40;

private:
    Kind kind_ = Kind::None;
    unsigned long long line_ = 0;
    std::string text_;
};
