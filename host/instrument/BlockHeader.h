#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The header of an IEEE 488.2 definite-length arbitrary block: "#", one digit n (1-9)
// telling how many length digits follow, then the byte count in n decimal digits.
// "#0" starts an indefinite-length block, which this instrument refuses. The stream
// reader and the command parser both use this one definition, so they always agree on
// where a block's raw bytes start and end.
struct BlockHeader {
    enum class Status {
        Complete,   // headerLength and dataLength are valid
        Incomplete, // a prefix of a valid header: more bytes are needed
        NotABlock,  // "#" followed by something else, such as "#H1F" non-decimal data
        Indefinite, // "#0"
        Malformed,  // "#n" followed by fewer than n digits
    };

    Status status = Status::Incomplete;
    std::size_t headerLength = 0;
    std::uint64_t dataLength = 0;

    // `text` starts at the "#".
    static BlockHeader Parse(std::string_view text);
    // "#<n><count>" for a response block of `dataLength` bytes.
    static std::string Format(std::uint64_t dataLength);
};
