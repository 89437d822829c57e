#include "InstrumentCommands.h"
#include "InstrumentState.h"
#include "ResponseBuffer.h"
#include "ScpiError.h"
#include "ScpiSession.h"
#include "SequenceTable.h"
#include "instrument/ScpiTestClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kMemory = 1000;
constexpr auto Block = ScpiTestClient::Block;

// A small instrument with the sequence bounds of a family that allows 4 steps and 65535
// loops, and one connection to it.
class SequenceAndFm : public ::testing::Test {
protected:
    std::string Send(std::string_view bytes) {
        ResponseBuffer response;
        session_.Receive(bytes, response);
        return response.Joined();
    }
    int NextErrorCode() { return std::stoi(Send(":SYST:ERR?\n")); }

    static std::string Samples(int points, char first) {
        std::string bytes;
        for (int i = 0; i < points; ++i) {
            bytes += static_cast<char>(first + i);
            bytes += '\x01';
        }
        return bytes;
    }
    static std::string Frequencies(const std::vector<double>& hertz) {
        std::string bytes(hertz.size() * sizeof(double), '\0');
        std::memcpy(bytes.data(), hertz.data(), bytes.size());
        return bytes;
    }
    void DefineSegment(int segment, const std::string& samples) {
        Send(":TRAC:DEF " + std::to_string(segment) + "," + std::to_string(samples.size() / 2) +
             ";SEL " + std::to_string(segment) + ";DATA " + Block(samples) + "\n");
        ASSERT_EQ(NextErrorCode(), 0);
    }

    InstrumentState instrument_{kMemory, SequenceLimits{4, 65535}};
    CommandTable commands_ = InstrumentCommands::Build();
    ScpiSession session_{instrument_, commands_};
};

} // namespace

TEST_F(SequenceAndFm, StepsAndLoopsAreBoundedByTheFamily) {
    const std::pair<const char*, int> cases[] = {
        {":SEQ:DEF 4,1,65535", 0}, {":SEQ:DEF 5,1,1", -222},     {":SEQ:DEF 1,1,65536", -222},
        {":SEQ:DEF 0,1,1", -222},  {":SEQ:DEF 1,32769,1", -222}, {":SEQ:DEF 1,1", -109},
    };
    for (const auto& [command, code] : cases) {
        Send(std::string(command) + "\n");
        EXPECT_EQ(NextErrorCode(), code) << command;
    }
    EXPECT_EQ(Send(":SEQ:CAT?\n"), "4,1,65535\n");
}

TEST_F(SequenceAndFm, SequenceModeNeedsEveryStepToPlayADefinedSegment) {
    Send(":FUNC:MODE SEQ\n");
    EXPECT_EQ(NextErrorCode(), -221);
    Send(":SEQ:DEF 1,2,3\n:FUNC:MODE SEQ\n");
    EXPECT_EQ(NextErrorCode(), -221);
    EXPECT_EQ(Send(":FUNC:MODE?\n"), "USER\n");
    DefineSegment(2, Samples(16, 'a'));
    EXPECT_EQ(Send(":SOUR:FUNC:MODE SEQUENCE;MODE?;:INST 2;:FUNC:MODE?\n"), "SEQ;USER\n");
    Send(":FUNC:MODE FIX\n");
    EXPECT_EQ(NextErrorCode(), -224);
    Send(":INST 1;*RST\n");
    EXPECT_EQ(Send(":FUNC:MODE?;:SEQ:CAT?\n"), "USER;\n");
}

TEST_F(SequenceAndFm, ExpandedSequencePlaysEachStepItsLoopsInStepOrder) {
    const std::string a = Samples(16, 'a');
    const std::string b = Samples(20, 'A');
    DefineSegment(1, a);
    DefineSegment(2, b);
    Send(":SEQ:DEF 3,1,1;DEF 1,2,3\n");
    EXPECT_EQ(Send(":SEQ:DATA?\n"), Block(b + b + b + a) + "\n");
    // Steps name segments: a segment rewritten later plays in its new form.
    DefineSegment(1, b.substr(0, 32));
    EXPECT_EQ(Send(":SEQ:DATA?\n"), Block(b + b + b + b.substr(0, 32)) + "\n");
}

// A sequence that loops for hours costs its table, never its samples: the expanded query
// answers up to the channel's memory and refuses a longer one before building anything.
TEST_F(SequenceAndFm, ExpandedSequenceIsAnsweredUpToTheChannelMemoryOnly) {
    DefineSegment(1, Samples(100, 'a'));
    DefineSegment(2, Samples(16, 'a'));
    Send(":SEQ:DEF 1,1,10\n");
    EXPECT_EQ(Send(":SEQ:DATA?\n").size(), Block(std::string(2 * kMemory, 'x')).size() + 1);
    struct Case {
        const char* steps;
        int code;
    };
    const Case cases[] = {
        {":SEQ:DEF 2,2,1", -223},     // one step more than the memory
        {":SEQ:DEF 2,2,65535", -223}, // far more
        {":SEQ:DEL:ALL", -221},       // nothing to play
        {":SEQ:DEF 1,9,1", -221},     // a segment that is not defined
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Send(std::string(c.steps) + ";:SEQ:DATA?\n"), "") << c.steps;
        EXPECT_EQ(NextErrorCode(), c.code) << c.steps;
    }
}

TEST_F(SequenceAndFm, FmTableKeepsCodesOrFrequenciesAndAnswersOnlyInTheFormAsked) {
    std::string codes(4 * 10, '\0'); // forty different bytes, "\n", "#" and '"' among them
    std::iota(codes.begin(), codes.end(), '\n');
    EXPECT_EQ(Send(":FM:DATA " + Block(codes) + ";:FM:DATA?\n"), Block(codes) + "\n");
    EXPECT_EQ(Send(":FM:DATA:HZ?\n"), "");
    EXPECT_EQ(NextErrorCode(), -221);

    std::vector<double> hertz(12, 1e6);
    hertz.back() = 1e10;
    const std::string frequencies = Frequencies(hertz);
    EXPECT_EQ(Send(":SOUR:FM:DATA:HZ " + Block(frequencies) + ";HZ?\n"), Block(frequencies) + "\n");
    EXPECT_EQ(Send(":FM:DATA?\n"), "");
    EXPECT_EQ(NextErrorCode(), -221);
}

TEST_F(SequenceAndFm, FmBlocksOfTheWrongSizeOrWithoutFrequenciesAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> ten(10, 1e6);
    const auto with = [&](double value) {
        std::vector<double> hertz = ten;
        hertz[7] = value;
        return Frequencies(hertz);
    };
    const std::pair<std::string, int> cases[] = {
        {":FM:DATA " + Block(std::string(4 * 9, '\0')), -222},
        {":FM:DATA " + Block(std::string(4 * 10 + 2, '\0')), -222},
        {":FM:DATA " + Block(std::string(4 * 501, '\0')), -223},
        {":FM:DATA:HZ " + Block(Frequencies(std::vector<double>(9, 1e6))), -222},
        {":FM:DATA:HZ " + Block(Frequencies(ten) + "1234"), -222},
        {":FM:DATA:HZ " + Block(Frequencies(std::vector<double>(251, 1e6))), -223},
        {":FM:DATA:HZ " + Block(with(0)), -222},
        {":FM:DATA:HZ " + Block(with(-5)), -222},
        {":FM:DATA:HZ " + Block(with(nan)), -222},
        {":FM:DATA:HZ " + Block(with(1.5e10)), -222},
    };
    for (const auto& [message, code] : cases) {
        Send(message + "\n");
        EXPECT_EQ(NextErrorCode(), code) << message.substr(0, 16);
    }
    EXPECT_EQ(Send(":FM:DATA?\n"), "#10\n");
}

// The largest table the simulator takes, every step looping a long segment as often as it
// may: hours of output whose length does not even fit in 64 bits. The expansion must be
// refused from the table alone, before a sample is copied and without the count wrapping.
TEST(SequenceTable, HoursOfLoopsAreRefusedBeforeAnySampleIsBuilt) {
    SequenceTable table;
    const std::string segment(2 * 4'000'000, '\x5A');
    for (int step = 1; step <= SequenceTable::kMostSteps; ++step) {
        table.Define(step, 1 + step % 2, SequenceTable::kMostLoops);
    }
    const auto lookup = [&](int) -> std::optional<std::string_view> {
        return std::string_view(segment);
    };
    try {
        table.Expand(lookup, InstrumentState::kMaxMemoryPoints);
        ADD_FAILURE() << "expanded";
    } catch (const ScpiError& error) {
        EXPECT_EQ(error.code, -223);
    }
}
