#pragma once

#include "CommandUnit.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Parses one program message (without its terminator) into message units, one at a
// time, following IEEE 488.2: units separated by ";", a header without a leading ":"
// continuing the path of the previous header, common commands leaving the path alone,
// white space around separators. Headers and character data are case-insensitive.
// A syntax problem throws ScpiError (a command error); the caller then drops the rest
// of the message, as the units after a broken one cannot be trusted.
class ScpiParser {
public:
    static constexpr std::size_t kMaxMnemonicLength = 12;

    // `message` must outlive the parser: block arguments view into it.
    explicit ScpiParser(std::string_view message);

    // Reads the next unit into `unit`; false at the end of the message.
    bool Next(CommandUnit& unit);

private:
    void SkipWhiteSpace();
    bool AtEnd() const { return position_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[position_]; }
    void ParseHeader(CommandUnit& unit);
    std::string ParseMnemonic();
    void ParseArguments(CommandUnit& unit);
    ScpiArgument ParseArgument();
    ScpiArgument ParseHash();
    ScpiArgument ParseNonDecimal();
    ScpiArgument ParseDecimal();
    ScpiArgument ParseString();
    ScpiArgument ParseWord();
    void ParseSuffix(ScpiArgument& argument);
    [[noreturn]] void Fail(int code, std::string detail) const;

    std::string_view text_;
    std::size_t position_ = 0;
    std::vector<std::string> prefix_;
};
