#include "BlockHeader.h"

#include "core/CharClass.h"

BlockHeader BlockHeader::Parse(std::string_view text) {
    BlockHeader header;
    if (text.size() < 2) {
        header.status = text.empty() || text[0] == '#' ? Status::Incomplete : Status::NotABlock;
        return header;
    }
    if (text[0] != '#' || !IsDigit(text[1])) {
        header.status = Status::NotABlock;
        return header;
    }
    const std::size_t digitCount = static_cast<std::size_t>(text[1] - '0');
    if (digitCount == 0) {
        header.status = Status::Indefinite;
        return header;
    }
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < digitCount; ++i) {
        const std::size_t position = 2 + i;
        if (position >= text.size()) {
            header.status = Status::Incomplete;
            return header;
        }
        if (!IsDigit(text[position])) {
            header.status = Status::Malformed;
            return header;
        }
        length = length * 10 + static_cast<std::uint64_t>(text[position] - '0');
    }
    header.status = Status::Complete;
    header.headerLength = 2 + digitCount;
    header.dataLength = length;
    return header;
}

std::string BlockHeader::Format(std::uint64_t dataLength) {
    const std::string count = std::to_string(dataLength);
    std::string header(1, '#');
    header += static_cast<char>('0' + count.size());
    header += count;
    return header;
}
