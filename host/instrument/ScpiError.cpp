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
    {-350, "Queue overflow"},
    {-363, "Input buffer overrun"},
};

// Error strings are limited to 255 characters; the detail gets what the text leaves.
constexpr std::size_t kMaxDetail = 200;

} // namespace

ScpiError::ScpiError(int errorCode, std::string errorDetail)
    : code(errorCode), detail(std::move(errorDetail)) {}

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
        for (std::size_t i = 0; i < detail.size() && i < kMaxDetail; ++i) {
            const unsigned char c = static_cast<unsigned char>(detail[i]);
            // Details may quote what a client sent; keep the response printable ASCII.
            line += (c == '"' || c < 0x20 || c > 0x7E) ? '?' : static_cast<char>(c);
        }
    }
    line += '"';
    return line;
}
