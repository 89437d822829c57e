#include "MessageBuffer.h"
#include "instrument/ScpiTestClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>

namespace {

// Well past the size from which buffers are mappings of their own.
constexpr std::size_t kLarge = 5'000'000;

bool AllZero(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

// Writes `bytes` into the reserved room the way a socket receive does.
void ReceiveInPlace(MessageBuffer& buffer, std::string_view bytes) {
    const std::span<char> spare = buffer.Spare();
    ASSERT_GE(spare.size(), bytes.size());
    std::copy(bytes.begin(), bytes.end(), spare.begin());
    buffer.Commit(bytes.size());
}

} // namespace

TEST(MessageBuffer, GrowingFromTheHeapIntoAMappingKeepsTheText) {
    MessageBuffer buffer;
    const std::string count = std::to_string(kLarge);
    const std::string text = ":TRAC:DATA #" + std::to_string(count.size()) + count;
    for (const char c : text) {
        buffer.PushBack(c);
    }
    buffer.Reserve(text.size() + kLarge);
    EXPECT_GE(buffer.Capacity(), text.size() + kLarge);
    EXPECT_EQ(buffer.View(), text);
    const std::string payload = ScpiTestClient::Pattern(kLarge);
    ReceiveInPlace(buffer, payload);
    buffer.Append(";*OPC?");
    EXPECT_TRUE(buffer.View() == text + payload + ";*OPC?");
}

TEST(MessageBuffer, AReusedMappingHoldsExactlyTheNewBytes) {
    const std::string first = ScpiTestClient::Pattern(kLarge);
    {
        MessageBuffer released;
        released.Reserve(kLarge);
        ReceiveInPlace(released, first);
    }
    std::string second = first;
    std::reverse(second.begin(), second.end());
    MessageBuffer buffer;
    buffer.Append("#");
    buffer.Reserve(1 + kLarge);
    ReceiveInPlace(buffer, second);
    EXPECT_EQ(buffer.Size(), 1 + kLarge);
    EXPECT_TRUE(buffer.View() == "#" + second);
}

TEST(MessageBuffer, ZerosNeverShowTheBytesOfAReleasedBuffer) {
    for (int round = 0; round < 3; ++round) {
        MessageBuffer written;
        written.Reserve(kLarge);
        ReceiveInPlace(written, std::string(kLarge, 'x'));
    }
    const auto zeros = MessageBuffer::Zeros(kLarge);
    EXPECT_EQ(zeros->Size(), kLarge);
    EXPECT_TRUE(AllZero(zeros->View()));
    EXPECT_TRUE(AllZero(MessageBuffer::Zeros(100)->View()));
    EXPECT_TRUE(MessageBuffer::Zeros(0)->Empty());
}
