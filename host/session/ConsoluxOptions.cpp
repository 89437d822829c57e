#include "session/ConsoluxOptions.h"

#include <charconv>

namespace {

template <typename Number> std::optional<Number> ParseNumber(const std::string& text) {
    Number value{};
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end || begin == end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::uint32_t> ConsoluxOptions::ParseRequestCode(const std::string& text) {
    return ParseNumber<std::uint32_t>(text);
}

std::optional<std::int64_t> ConsoluxOptions::ParseRequestData(const std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return ParseNumber<std::int64_t>(text);
    }
    const auto x = ParseNumber<std::int16_t>(text.substr(0, comma));
    const auto y = ParseNumber<std::int16_t>(text.substr(comma + 1));
    if (!x || !y) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(static_cast<std::uint16_t>(*y)) << 16 |
           static_cast<std::uint16_t>(*x);
}

std::optional<std::uint64_t> ConsoluxOptions::ParseMemoryPoints(const std::string& text) {
    const auto points = ParseNumber<std::uint64_t>(text);
    if (!points || *points < kMinMemoryPoints || *points > kMaxMemoryPoints) {
        return std::nullopt;
    }
    return points;
}
