#include "ProgramMessageReader.h"
#include "ByteBudget.h"
#include "ScpiError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

class CollectingSink : public ProgramMessageReader::Sink {
public:
    void OnMessage(const std::shared_ptr<const MessageBuffer>& message) override {
        messages.emplace_back(message->View());
    }
    void OnInputError(ScpiError error) override { errors.push_back(error.code); }

    std::vector<std::string> messages;
    std::vector<int> errors;
};

ProgramMessageReader::Limits SmallLimits() {
    ProgramMessageReader::Limits limits;
    limits.maxTextBytes = 64;
    limits.maxBlockBytes = 100;
    return limits;
}

// A reader with the small limits and what it delivered.
class MessageReading : public ::testing::Test {
protected:
    ProgramMessageReader reader{SmallLimits()};
    CollectingSink sink;
};

} // namespace

TEST_F(MessageReading, SplitsMessagesAtNewlinesOutsideBlocks) {
    const std::string block = "#16a\nb\nc\n";
    reader.Feed("*IDN?\n:TRAC:DATA " + block + ";:TRAC:SEL?\r\n*OPC?", sink);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0], "*IDN?");
    EXPECT_EQ(sink.messages[1], ":TRAC:DATA " + block + ";:TRAC:SEL?\r");
    EXPECT_TRUE(reader.HasPartialMessage());
    reader.Feed("\n", sink);
    EXPECT_EQ(sink.messages.back(), "*OPC?");
    EXPECT_FALSE(reader.HasPartialMessage());
}

TEST_F(MessageReading, GivesTheSameMessagesWhenFedOneByteAtATime) {
    const std::string stream =
        "A 1\n:TRAC:DATA #210\n\n\n\n\n\n\n\n\n\n\nX \"#1\";B #H1F\nC '#9'\n";
    reader.Feed(stream, sink);

    ProgramMessageReader trickle(SmallLimits());
    CollectingSink trickleSink;
    for (const char c : stream) {
        trickle.Feed(std::string_view(&c, 1), trickleSink);
    }
    ASSERT_EQ(sink.messages.size(), 4u);
    EXPECT_EQ(sink.messages[1], ":TRAC:DATA #210\n\n\n\n\n\n\n\n\n\n");
    EXPECT_EQ(sink.messages[2], "X \"#1\";B #H1F");
    EXPECT_EQ(trickleSink.messages, sink.messages);
    EXPECT_TRUE(sink.errors.empty());
}

TEST_F(MessageReading, SkipsAnOversizeBlockByCountWithoutStoringItAndStaysInStep) {
    reader.Feed(":TRAC:DATA #3200", sink);
    EXPECT_EQ(sink.errors, std::vector<int>{scpi_errors::kTooMuchData});
    EXPECT_TRUE(reader.PayloadSpace().empty());
    reader.Feed(std::string(150, '\n'), sink);
    EXPECT_LT(reader.BufferedBytes(), 64u);
    reader.Feed(std::string(50, '\n') + "\n*IDN?\n", sink);
    // The rejected message is dropped as a whole; the next one is read normally.
    EXPECT_EQ(sink.messages, std::vector<std::string>{"*IDN?"});
    // A count of ten digits neither wraps nor reserves anything.
    reader.Feed(":TRAC:DATA #9999999999abc", sink);
    EXPECT_EQ(sink.errors.size(), 2u);
    EXPECT_EQ(sink.errors.back(), scpi_errors::kTooMuchData);
    EXPECT_LT(reader.BufferedBytes(), 64u);
}

TEST_F(MessageReading, DropsALineLongerThanTheLimitAndReadsTheNextOne) {
    reader.Feed(std::string(1000, 'x'), sink);
    EXPECT_EQ(sink.errors, std::vector<int>{scpi_errors::kInputBufferOverrun});
    EXPECT_LE(reader.BufferedBytes(), 64u);
    reader.Feed(std::string(1000, 'y') + "\n*OPC?\n", sink);
    EXPECT_EQ(sink.messages, std::vector<std::string>{"*OPC?"});
    EXPECT_EQ(sink.errors.size(), 1u);
}

TEST_F(MessageReading, LeavesMalformedBlockHeadersToTheParserAsText) {
    reader.Feed("A #0xyz\nB #3a\nC #\nD #5\n", sink);
    EXPECT_EQ(sink.messages, (std::vector<std::string>{"A #0xyz", "B #3a", "C #", "D #5"}));
    EXPECT_TRUE(sink.errors.empty());
}

TEST(ProgramMessageReader, BoundsTheBlocksOfOneMessageTogether) {
    ProgramMessageReader::Limits limits = SmallLimits();
    limits.maxMessageBlockBytes = 150;
    ProgramMessageReader reader(limits);
    CollectingSink sink;
    const std::string block = "#260" + std::string(60, 'b');
    reader.Feed("A " + block + "," + block + "\nB " + block + "," + block + "," + block + "\n",
                sink);
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.errors, std::vector<int>{scpi_errors::kTooMuchData});
    reader.Feed("C " + block + "," + block + "\n", sink);
    EXPECT_EQ(sink.messages.size(), 2u);
}

TEST_F(MessageReading, APayloadReceivedInPlaceInPiecesGivesTheSameMessagesAsOneFeed) {
    std::string payload(90, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 89 + 7); // newlines, "#" and quotes among them
    }
    const std::string head = "*OPC?\n:TRAC:DATA #290";
    const std::string tail = ";:TRAC:SEL?\n*IDN?\n";
    reader.Feed(head + payload + tail, sink);

    ProgramMessageReader inPlace(SmallLimits());
    CollectingSink inPlaceSink;
    EXPECT_TRUE(inPlace.PayloadSpace().empty());
    inPlace.Feed(head + payload.substr(0, 5), inPlaceSink);
    std::size_t offered = 5;
    for (std::size_t piece = 1; !inPlace.PayloadSpace().empty(); ++piece) {
        const std::span<char> space = inPlace.PayloadSpace();
        // Never more room than the block lacks, so the text after it is not swallowed.
        ASSERT_EQ(space.size(), payload.size() - offered);
        const std::size_t count = std::min(piece, space.size());
        std::copy_n(payload.data() + offered, count, space.data());
        inPlace.CommitPayload(count);
        offered += count;
    }
    EXPECT_EQ(offered, payload.size());
    inPlace.Feed(tail, inPlaceSink);

    ASSERT_EQ(sink.messages.size(), 3u);
    EXPECT_EQ(sink.messages[1], ":TRAC:DATA #290" + payload + ";:TRAC:SEL?");
    EXPECT_EQ(inPlaceSink.messages, sink.messages);
    EXPECT_TRUE(inPlaceSink.errors.empty());
}

// Block memory comes from the budget all connections share, from the block's header until
// its message has run, been dropped, or its connection is gone.
TEST(ProgramMessageReader, ABlockHoldsItsShareOfTheBudgetUntilItsMessageEndsOrTheReaderGoes) {
    ByteBudget budget(150);
    CollectingSink sink;
    auto holder = std::make_unique<ProgramMessageReader>(SmallLimits(), &budget);
    holder->Feed("A #3100abc", sink);
    const std::uint64_t held = budget.Taken();
    EXPECT_GE(held, 100u);

    auto other = std::make_unique<ProgramMessageReader>(SmallLimits(), &budget);
    other->Feed("B #3100", sink);
    EXPECT_EQ(sink.errors, std::vector<int>{scpi_errors::kTooMuchData});
    EXPECT_EQ(budget.Taken(), held);
    other->Feed(std::string(100, 'x') + "\n", sink);
    holder->Feed(std::string(97, 'y') + "\n", sink);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "A #3100abc" + std::string(97, 'y'));
    EXPECT_EQ(budget.Taken(), 0u);

    other->Feed("C #3100abc", sink);
    EXPECT_EQ(budget.Taken(), held);
    other.reset();
    EXPECT_EQ(budget.Taken(), 0u);
    EXPECT_EQ(sink.errors.size(), 1u);
}
