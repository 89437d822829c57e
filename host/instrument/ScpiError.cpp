#include "ScpiError.h"

#include <utility>

namespace {

struct ErrorText {
    int code;
    std::string_view text;
};

constexpr ErrorText kTexts[] = {
    {0, "No error"},
    {-100, "Command error"},
    {-101, "Invalid character"},
    {-102, "Syntax error"},
    {-103, "Invalid separator"},
    {-104, "Data type error"},
    {-108, "Parameter not allowed"},
    {-109, "Missing parameter"},
    {-112, "Program mnemonic too long"},
    {-113, "Undefined header"},
    {-121, "Invalid character in number"},
    {-123, "Exponent too large"},
    {-131, "Invalid suffix"},
    {-141, "Invalid character data"},
    {-151, "Invalid string data"},
    {-161, "Invalid block data"},
    {-221, "Settings conflict"},
    {-222, "Data out of range"},
    {-223, "Too much data"},
    {-224, "Illegal parameter value"},
    {-225, "Out of memory"},
    {-310, "System error"},
    {-350, "Queue overflow"},
    {-363, "Input buffer overrun"},
    {-430, "Query DEADLOCKED"},
};

} // namespace

// Cut here rather than when formatted, so that a queue full of errors quoting a long
// header holds a few kilobytes, not the headers.
ScpiError::ScpiError(int errorCode, std::string errorDetail)
    : code(errorCode), detail(std::move(errorDetail)) {
    if (detail.size() > kMaxDetailLength) {
        detail.resize(kMaxDetailLength);
        detail.shrink_to_fit();
    }
}

std::string_view ScpiError::Text(int code) {
    for (const ErrorText& entry : kTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "Unknown error";
}

std::string ScpiError::Format() const {
    std::string line = std::to_string(code) + ",\"" + std::string(Text(code));
    if (!detail.empty()) {
        line += ';';
        for (const char byte : detail) {
            const unsigned char c = static_cast<unsigned char>(byte);
            // Details may quote what a client sent; keep the response printable ASCII.
            line += (c == '"' || c < 0x20 || c > 0x7E) ? '?' : static_cast<char>(c);
        }
    }
    line += '"';
    return line;
}
