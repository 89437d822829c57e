#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One entry of the instrument's error/event queue: a SCPI error number and optional
// device-dependent detail, reported as `<code>,"<text>;<detail>"`.
// Inside the simulator, command handlers throw it; the session catches it in one place
// and queues it, so a failing command never leaves half-applied state behind.
struct ScpiError {
    // Error strings are limited to 255 characters; the detail gets what the text leaves.
    static constexpr std::size_t kMaxDetailLength = 200;

    int code = 0;
    std::string detail;

    ScpiError() = default;
    // A longer detail is cut to kMaxDetailLength characters.
    ScpiError(int errorCode, std::string errorDetail = {});

    // The standard text of a code ("Undefined header"), "Unknown error" for codes not listed.
    static std::string_view Text(int code);
    // Command errors (-100..-199) make the parser drop the rest of the program message.
    bool IsCommandError() const { return code <= -100 && code >= -199; }
    // The `:SYSTem:ERRor?` response line, quotes in the detail replaced so it stays one string.
    std::string Format() const;
};

namespace scpi_errors {
constexpr int kNoError = 0;
constexpr int kCommandError = -100;
constexpr int kInvalidCharacter = -101;
constexpr int kSyntaxError = -102;
constexpr int kInvalidSeparator = -103;
constexpr int kDataTypeError = -104;
constexpr int kParameterNotAllowed = -108;
constexpr int kMissingParameter = -109;
constexpr int kMnemonicTooLong = -112;
constexpr int kUndefinedHeader = -113;
constexpr int kInvalidCharacterInNumber = -121;
constexpr int kExponentTooLarge = -123;
constexpr int kInvalidSuffix = -131;
constexpr int kInvalidCharacterData = -141;
constexpr int kInvalidStringData = -151;
constexpr int kInvalidBlockData = -161;
constexpr int kSettingsConflict = -221;
constexpr int kDataOutOfRange = -222;
constexpr int kTooMuchData = -223;
constexpr int kIllegalParameterValue = -224;
constexpr int kOutOfMemory = -225;
constexpr int kSystemError = -310;
constexpr int kQueueOverflow = -350;
constexpr int kInputBufferOverrun = -363;
constexpr int kQueryDeadlocked = -430;
} // namespace scpi_errors
