#include "ScpiSession.h"
#include "ByteBudget.h"
#include "InstrumentCommands.h"
#include "InstrumentState.h"
#include "ResponseBuffer.h"
#include "ScpiError.h"
#include "SequenceTable.h"
#include "instrument/ScpiTestClient.h"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kMemory = 1000;
constexpr auto Block = ScpiTestClient::Block;
constexpr auto Repeated = ScpiTestClient::Repeated;
constexpr auto Frequencies = ScpiTestClient::Bytes<double>; // FM frequencies as they travel
using Codes = std::vector<int>;

constexpr auto Pattern = ScpiTestClient::Pattern;

// An instrument with a small memory and one or more connections to it, without sockets.
class SessionTest : public ::testing::Test {
protected:
    explicit SessionTest(SequenceLimits sequenceLimits = {})
        : instrument_(kMemory, sequenceLimits) {}

    std::string Send(std::string_view bytes, ScpiSession* session = nullptr) {
        ResponseBuffer response;
        (session != nullptr ? *session : session_).Receive(bytes, response);
        return response.Joined();
    }
    std::string NextError(ScpiSession* session = nullptr) {
        std::string line = Send(":SYST:ERR?\n", session);
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        return line;
    }
    int NextErrorCode(ScpiSession* session = nullptr) { return std::stoi(NextError(session)); }
    // Sends `bytes`, then empties the error queue: the codes it held, oldest first.
    Codes Errors(std::string_view bytes) {
        Send(bytes);
        Codes codes;
        for (int code = NextErrorCode(); code != 0 && codes.size() < 40; code = NextErrorCode()) {
            codes.push_back(code);
        }
        return codes;
    }

    InstrumentState instrument_;
    CommandTable commands_ = InstrumentCommands::Build();
    ScpiSession session_{instrument_, commands_};
};

// The sequence bounds of a family that allows 4 steps and 65535 loops.
class SequenceAndFm : public SessionTest {
protected:
    SequenceAndFm() : SessionTest(SequenceLimits{4, 65535}) {}

    void DefineSegment(int segment, const std::string& samples) {
        Send(":TRAC:DEF " + std::to_string(segment) + "," + std::to_string(samples.size() / 2) +
             ";SEL " + std::to_string(segment) + ";DATA " + Block(samples) + "\n");
        ASSERT_EQ(NextErrorCode(), 0);
    }
};

} // namespace

TEST_F(SessionTest, IdentifiesItselfWithFourFieldsAndCompletesAtOnce) {
    EXPECT_EQ(Send("*IDN?\n"), "Quellwerk,AWG-SIM-2CH,0,1.0\n");
    EXPECT_EQ(Send("*opc?\n"), "1\n");
    EXPECT_EQ(NextError(), "0,\"No error\"");
}

TEST_F(SessionTest, SegmentReadsBackExactlyTheBytesWritten) {
    const std::string bytes = Pattern(2 * 300, 1);
    EXPECT_EQ(Send(":TRAC:DEF 3,300;:TRAC:SEL 3\n:TRAC:DATA " + Block(bytes) + "\n"), "");
    EXPECT_EQ(NextErrorCode(), 0);
    EXPECT_EQ(Send(":TRAC:DATA?\n"), Block(bytes) + "\n");
    EXPECT_EQ(Send(":trace:catalog?;:TRAC:SEL?;FREE?\n"), "3,300;3;700\n");
}

TEST_F(SessionTest, RefusesSegmentLengthsOutsideTheMemoryAndTheMinimum) {
    EXPECT_EQ(Errors(":TRAC:DEF 1,15\n:TRAC:DEF 1,1001\n:TRAC:DEF 0,100;:TRAC:DEF 32769,100\n"),
              (Codes{-222, -222, -222, -222}));
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "\n");
}

TEST_F(SessionTest, AllSegmentsOfAChannelShareItsMemory) {
    EXPECT_EQ(Errors(":TRAC:DEF 1,600;:TRAC:DEF 2,500\n"), Codes{-225});
    // Redefining a segment gives its old points back first.
    EXPECT_EQ(Errors(":TRAC:DEF 1,900;:TRAC:DEF 2,100\n"), Codes{});
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "1,900,2,100\n");
    Send(":TRAC:DEL 1;:TRAC:DEF 3,900\n");
    EXPECT_EQ(Send(":TRAC:CAT?;FREE?\n"), "2,100,3,900;0\n");
    Send(":TRAC:DEL:ALL\n");
    EXPECT_EQ(Send(":TRAC:FREE?\n"), "1000\n");
}

TEST_F(SessionTest, ABlockOfTheWrongSizeLeavesTheSegmentAsItWas) {
    const std::string original = Pattern(2 * 16, 1);
    Send(":TRAC:DEF 1,16;SEL 1;DATA " + Block(original) + "\n");
    EXPECT_EQ(Errors(":TRAC:DATA " + Block(Pattern(2 * 16 + 2, 1)) + "\n:TRAC:DATA " +
                     Block(Pattern(2 * 16 - 2, 1)) + "\n:TRAC:DATA 12\n"),
              (Codes{-223, -222, -104}));
    EXPECT_EQ(Send(":TRAC:DATA?\n"), Block(original) + "\n");
}

TEST_F(SessionTest, DataForASegmentThatIsNotDefinedIsASettingsConflict) {
    EXPECT_EQ(Errors(":TRAC:SEL 5;:TRAC:DATA " + Block(Pattern(32, 1)) + "\n"), Codes{-221});
    // A query that fails answers nothing; the other queries of the message still answer.
    EXPECT_EQ(Send(":TRAC:DATA?;:TRAC:SEL?\n"), "5\n");
    EXPECT_EQ(NextErrorCode(), -221);
}

TEST_F(SessionTest, ExecutionErrorsLetTheMessageContinueButCommandErrorsEndIt) {
    EXPECT_EQ(Send(":TRAC:DEF 1,5;:TRAC:DEF 2,64;:INST?\n"), "1\n");
    EXPECT_EQ(NextErrorCode(), -222);
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "2,64\n");

    EXPECT_EQ(Send(":BOGUS 1;:TRAC:DEF 3,64;:INST?\n"), "");
    EXPECT_EQ(NextError(), "-113,\"Undefined header;BOGUS\"");
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "2,64\n");
}

TEST_F(SessionTest, ErrorQueueIsFirstInFirstOutAndMarksOverflow) {
    for (int i = 0; i < 40; ++i) {
        Send("NOPE" + std::to_string(i) + "\n");
    }
    EXPECT_EQ(Send(":SYST:ERR:COUN?\n"), "32\n");
    EXPECT_EQ(NextError(), "-113,\"Undefined header;NOPE0\"");
    for (int i = 1; i < 31; ++i) {
        EXPECT_EQ(NextError(), "-113,\"Undefined header;NOPE" + std::to_string(i) + "\"");
    }
    EXPECT_EQ(NextError(), "-350,\"Queue overflow\"");
    EXPECT_EQ(NextError(), "0,\"No error\"");
}

TEST_F(SessionTest, EventStatusRegisterRecordsErrorClassesUntilRead) {
    EXPECT_EQ(Send("*ESR?\n"), "128\n"); // power on
    Send("FOO\n:TRAC:DEF 1,1\n*OPC\n");
    EXPECT_EQ(Send("*ESR?\n"), std::to_string(0x20 | 0x10 | 0x01) + "\n");
    EXPECT_EQ(Send("*ESR?\n"), "0\n");
    Send("*ESE 32;*SRE 32\nFOO\n");
    EXPECT_EQ(Send("*STB?\n"), std::to_string(0x04 | 0x20 | 0x40) + "\n");
    Send("*CLS\n");
    EXPECT_EQ(Send("*STB?;*ESE?\n"), "0;32\n");
}

TEST_F(SessionTest, ChannelsHaveTheirOwnSegmentsAndSettings) {
    Send(":INST 2;:TRAC:DEF 1,100;:FREQ:RAST 2.5e8\n:INST CH1;:TRAC:DEF 1,200\n");
    EXPECT_EQ(Send(":TRAC:CAT?;:FREQ:RAST?;:INST?\n"), "1,200;100000000;1\n");
    EXPECT_EQ(Send(":INST:SEL 2;:TRAC:CAT?;:SOUR:FREQ:RAST?\n"), "1,100;250000000\n");
    EXPECT_EQ(Errors(":INST 3\n:INST CH9\n"), (Codes{-222, -224}));
    EXPECT_EQ(Send(":INST?\n"), "2\n");
}

TEST_F(SessionTest, NumericSettingsTakeUnitsAndMinMaxAndRejectTheRest) {
    EXPECT_EQ(Send(":FREQ:RAST 100 MHZ;RAST?;:FREQ:RAST 3khz;RAST?\n"), "100000000;3000\n");
    EXPECT_EQ(Send(":FREQ:RAST MAX;RAST?;RAST? MIN\n"), "10000000000;1\n");
    EXPECT_EQ(Errors(":FREQ:RAST 1e11\n:FREQ:RAST 5 V\n:FREQ:RAST \"1e8\"\n"),
              (Codes{-222, -131, -104}));
    EXPECT_EQ(Send(":FM:DEV 1.5e6;DEV?;:SOURCE:FM:DEVIATION DEF;:FM:DEV?\n"), "1500000;1000000\n");
    Send(":TRAC:DEF 1,64.4;:TRAC:CAT?\n");
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "1,64\n");
}

TEST_F(SessionTest, SequenceTableIsKeptByStepPerChannel) {
    Send(":SEQ:DEF 2,7,1000;:SEQ:DEF 1,3,1;DEF 3,3,16777215\n");
    EXPECT_EQ(Send(":SEQ:DEF?\n"), "1,3,1,2,7,1000,3,3,16777215\n");
    EXPECT_EQ(Errors(":SEQ:DEF 4,1,0\n:SEQ:DEL 9\n"), (Codes{-222, -221}));
    Send(":SEQ:DEL 2\n");
    EXPECT_EQ(Send(":SEQ:CAT?;:INST 2;:SEQ:CAT?\n"), "1,3,1,3,3,16777215;\n");
    Send(":INST 1;:SEQ:DEL:ALL\n");
    EXPECT_EQ(Send(":SEQ:CAT?\n"), "\n");
}

TEST_F(SessionTest, ResetReturnsToPowerOnSettingsButKeepsTheErrorQueue) {
    Send(":INST 2;:TRAC:DEF 1,64;SEL 1;:FREQ:RAST 1e3;:SEQ:DEF 1,1,1;:FUNC:MODE SEQ\nFOO\n*RST\n");
    EXPECT_EQ(Send(":INST?;:TRAC:CAT?;:TRAC:SEL?;:FREQ:RAST?;:SEQ:CAT?\n"), "1;;1;100000000;\n");
    EXPECT_EQ(Send(":INST 2;:TRAC:CAT?;:FUNC:MODE?;:SEQ:CAT?\n"), ";USER;\n");
    EXPECT_EQ(NextErrorCode(), -113);
}

TEST_F(SessionTest, ConnectionsShareTheInstrumentButNotTheirErrors) {
    ScpiSession other(instrument_, commands_);
    Send(":TRAC:DEF 4,64\nFOO\n");
    EXPECT_EQ(Send(":TRAC:CAT?\n", &other), "4,64\n");
    EXPECT_EQ(NextErrorCode(&other), 0);
    EXPECT_EQ(NextErrorCode(), -113);
}

TEST_F(SessionTest, AnErrorQuotesAtMostTheDetailLimitOfWhatTheClientSent) {
    Send(Repeated(":ABC", 5000) + "\n");
    const std::string error = NextError();
    EXPECT_EQ(error.substr(0, 5), "-113,");
    EXPECT_LE(error.size(), 255u) << error.size();
}

// With a budget, a connection holds its own share of answers and what the budget grants;
// a query that does not fit answers nothing and queues -430, the rest of the message runs.
TEST_F(SessionTest, AnswersBeyondTheOutputMemoryAreRefusedWithMinus430) {
    const std::string samples = Pattern(2 * 1000, 1);
    Send(":TRAC:DEF 1,1000;SEL 1;DATA " + Block(samples) + "\n");
    const std::string queries = Repeated(":TRAC:DATA?;", 60);
    ByteBudget none(0);
    ResponseBuffer response(&none);
    session_.Receive(queries + ":TRAC:SEL 7\n", response);
    const std::string answers = response.Joined();
    EXPECT_LT(answers.size(), ResponseBuffer::kOwnBytes);
    EXPECT_EQ(answers.substr(0, Block(samples).size() + 1), Block(samples) + ";");
    EXPECT_EQ(answers.back(), '\n');
    EXPECT_EQ(NextErrorCode(), -430);
    EXPECT_EQ(Send("*CLS;:TRAC:SEL?;SEL 1\n"), "7\n");

    response.Clear();
    ByteBudget enough(1 << 20);
    ResponseBuffer granted(&enough);
    session_.Receive(queries + "*OPC?\n", granted);
    EXPECT_EQ(granted.Size(), 60 * (Block(samples).size() + 1) + 2);
    EXPECT_GT(enough.Taken(), 0u);
    granted.Clear();
    EXPECT_EQ(enough.Taken(), 0u);
    EXPECT_EQ(NextErrorCode(), 0);
}

// Input that asks more than the connection's share of answers stops after the message
// that filled it, so the caller can send before going on; nothing is lost.
TEST_F(SessionTest, ReceiveStopsWhenTheAnswersFillTheConnectionsShareAndGoesOnWhereItStopped) {
    ByteBudget none(0);
    ResponseBuffer response(&none);
    constexpr int kQueries = 5000;
    const std::string input = Repeated("*IDN?\n", kQueries);
    std::string_view rest = input;
    std::string answers;
    int rounds = 0;
    while (!rest.empty()) {
        const std::size_t taken = session_.Receive(rest, response);
        ASSERT_GT(taken, 0u);
        rest.remove_prefix(taken);
        answers += response.Joined();
        response.Clear();
        ++rounds;
    }
    EXPECT_GT(rounds, 1);
    EXPECT_EQ(answers.size(), kQueries * std::string("Quellwerk,AWG-SIM-2CH,0,1.0\n").size());
    EXPECT_EQ(NextErrorCode(), 0);
}

TEST_F(SequenceAndFm, StepsAndLoopsAreBoundedByTheFamily) {
    const std::pair<const char*, int> cases[] = {
        {":SEQ:DEF 4,1,65535", 0}, {":SEQ:DEF 5,1,1", -222},     {":SEQ:DEF 1,1,65536", -222},
        {":SEQ:DEF 0,1,1", -222},  {":SEQ:DEF 1,32769,1", -222}, {":SEQ:DEF 1,1", -109},
    };
    for (const auto& [command, code] : cases) {
        EXPECT_EQ(Errors(std::string(command) + "\n"), code ? Codes{code} : Codes{}) << command;
    }
    EXPECT_EQ(Send(":SEQ:CAT?\n"), "4,1,65535\n");
}

TEST_F(SequenceAndFm, SequenceModeNeedsEveryStepToPlayADefinedSegment) {
    EXPECT_EQ(Errors(":FUNC:MODE SEQ\n:SEQ:DEF 1,2,3\n:FUNC:MODE SEQ\n"), (Codes{-221, -221}));
    EXPECT_EQ(Send(":FUNC:MODE?\n"), "USER\n");
    DefineSegment(2, Pattern(2 * 16, 1));
    EXPECT_EQ(Send(":SOUR:FUNC:MODE SEQUENCE;MODE?;:INST 2;:FUNC:MODE?\n"), "SEQ;USER\n");
    EXPECT_EQ(Errors(":FUNC:MODE FIX\n"), Codes{-224});
}

TEST_F(SequenceAndFm, ExpandedSequencePlaysEachStepItsLoopsInStepOrder) {
    const std::string a = Pattern(2 * 16, 1);
    const std::string b = Pattern(2 * 20, 2);
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
    DefineSegment(1, Pattern(2 * 100, 1));
    DefineSegment(2, Pattern(2 * 16, 1));
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
        EXPECT_EQ(Errors(message + "\n"), Codes{code}) << message.substr(0, 16);
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
