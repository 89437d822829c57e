#include "ScpiSession.h"
#include "ByteBudget.h"
#include "InstrumentCommands.h"
#include "InstrumentState.h"
#include "ResponseBuffer.h"
#include "instrument/ScpiTestClient.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kMemory = 1000;
constexpr auto Block = ScpiTestClient::Block;

// An instrument with a small memory and one or more connections to it, without sockets.
class SessionTest : public ::testing::Test {
protected:
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

    static std::string Pattern(std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 37 + 10) & 0xFF);
        }
        return bytes;
    }

    InstrumentState instrument_{kMemory};
    CommandTable commands_ = InstrumentCommands::Build();
    ScpiSession session_{instrument_, commands_};
};

} // namespace

TEST_F(SessionTest, IdentifiesItselfWithFourFieldsAndCompletesAtOnce) {
    EXPECT_EQ(Send("*IDN?\n"), "Quellwerk,AWG-SIM-2CH,0,1.0\n");
    EXPECT_EQ(Send("*opc?\n"), "1\n");
    EXPECT_EQ(NextError(), "0,\"No error\"");
}

TEST_F(SessionTest, SegmentReadsBackExactlyTheBytesWritten) {
    const std::string bytes = Pattern(2 * 300);
    EXPECT_EQ(Send(":TRAC:DEF 3,300;:TRAC:SEL 3\n:TRAC:DATA " + Block(bytes) + "\n"), "");
    EXPECT_EQ(NextErrorCode(), 0);
    EXPECT_EQ(Send(":TRAC:DATA?\n"), Block(bytes) + "\n");
    EXPECT_EQ(Send(":trace:catalog?;:TRAC:SEL?;FREE?\n"), "3,300;3;700\n");
}

TEST_F(SessionTest, RefusesSegmentLengthsOutsideTheMemoryAndTheMinimum) {
    Send(":TRAC:DEF 1,15\n");
    EXPECT_EQ(NextErrorCode(), -222);
    Send(":TRAC:DEF 1,1001\n");
    EXPECT_EQ(NextErrorCode(), -222);
    Send(":TRAC:DEF 0,100;:TRAC:DEF 32769,100\n");
    EXPECT_EQ(NextErrorCode(), -222);
    EXPECT_EQ(NextErrorCode(), -222);
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "\n");
}

TEST_F(SessionTest, AllSegmentsOfAChannelShareItsMemory) {
    Send(":TRAC:DEF 1,600;:TRAC:DEF 2,500\n");
    EXPECT_EQ(NextErrorCode(), -225);
    // Redefining a segment gives its old points back first.
    Send(":TRAC:DEF 1,900;:TRAC:DEF 2,100\n");
    EXPECT_EQ(NextErrorCode(), 0);
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "1,900,2,100\n");
    Send(":TRAC:DEL 1;:TRAC:DEF 3,900\n");
    EXPECT_EQ(Send(":TRAC:CAT?;FREE?\n"), "2,100,3,900;0\n");
    Send(":TRAC:DEL:ALL\n");
    EXPECT_EQ(Send(":TRAC:FREE?\n"), "1000\n");
}

TEST_F(SessionTest, ABlockOfTheWrongSizeLeavesTheSegmentAsItWas) {
    const std::string original = Pattern(2 * 16);
    Send(":TRAC:DEF 1,16;SEL 1;DATA " + Block(original) + "\n");
    Send(":TRAC:DATA " + Block(Pattern(2 * 16 + 2)) + "\n");
    EXPECT_EQ(NextErrorCode(), -223);
    Send(":TRAC:DATA " + Block(Pattern(2 * 16 - 2)) + "\n");
    EXPECT_EQ(NextErrorCode(), -222);
    Send(":TRAC:DATA 12\n");
    EXPECT_EQ(NextErrorCode(), -104);
    EXPECT_EQ(Send(":TRAC:DATA?\n"), Block(original) + "\n");
}

TEST_F(SessionTest, DataForASegmentThatIsNotDefinedIsASettingsConflict) {
    Send(":TRAC:SEL 5;:TRAC:DATA " + Block(Pattern(32)) + "\n");
    EXPECT_EQ(NextErrorCode(), -221);
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
    Send(":INST 3\n:INST CH9\n");
    EXPECT_EQ(NextErrorCode(), -222);
    EXPECT_EQ(NextErrorCode(), -224);
    EXPECT_EQ(Send(":INST?\n"), "2\n");
}

TEST_F(SessionTest, NumericSettingsTakeUnitsAndMinMaxAndRejectTheRest) {
    EXPECT_EQ(Send(":FREQ:RAST 100 MHZ;RAST?;:FREQ:RAST 3khz;RAST?\n"), "100000000;3000\n");
    EXPECT_EQ(Send(":FREQ:RAST MAX;RAST?;RAST? MIN\n"), "10000000000;1\n");
    Send(":FREQ:RAST 1e11\n:FREQ:RAST 5 V\n:FREQ:RAST \"1e8\"\n");
    EXPECT_EQ(NextErrorCode(), -222);
    EXPECT_EQ(NextErrorCode(), -131);
    EXPECT_EQ(NextErrorCode(), -104);
    EXPECT_EQ(Send(":FM:DEV 1.5e6;DEV?;:SOURCE:FM:DEVIATION DEF;:FM:DEV?\n"), "1500000;1000000\n");
    Send(":TRAC:DEF 1,64.4;:TRAC:CAT?\n");
    EXPECT_EQ(Send(":TRAC:CAT?\n"), "1,64\n");
}

TEST_F(SessionTest, SequenceTableIsKeptByStepPerChannel) {
    Send(":SEQ:DEF 2,7,1000;:SEQ:DEF 1,3,1;DEF 3,3,16777215\n");
    EXPECT_EQ(Send(":SEQ:DEF?\n"), "1,3,1,2,7,1000,3,3,16777215\n");
    Send(":SEQ:DEF 4,1,0\n:SEQ:DEL 9\n");
    EXPECT_EQ(NextErrorCode(), -222);
    EXPECT_EQ(NextErrorCode(), -221);
    Send(":SEQ:DEL 2\n");
    EXPECT_EQ(Send(":SEQ:CAT?;:INST 2;:SEQ:CAT?\n"), "1,3,1,3,3,16777215;\n");
    Send(":INST 1;:SEQ:DEL:ALL\n");
    EXPECT_EQ(Send(":SEQ:CAT?\n"), "\n");
}

TEST_F(SessionTest, ResetReturnsToPowerOnSettingsButKeepsTheErrorQueue) {
    Send(":INST 2;:TRAC:DEF 1,64;SEL 1;:FREQ:RAST 1e3;:SEQ:DEF 1,1,1\nFOO\n*RST\n");
    EXPECT_EQ(Send(":INST?;:TRAC:CAT?;:TRAC:SEL?;:FREQ:RAST?;:SEQ:CAT?\n"), "1;;1;100000000;\n");
    EXPECT_EQ(Send(":INST 2;:TRAC:CAT?\n"), "\n");
    EXPECT_EQ(NextErrorCode(), -113);
}

TEST_F(SessionTest, ConnectionsShareTheInstrumentButNotTheirErrors) {
    ScpiSession other(instrument_, commands_);
    Send(":TRAC:DEF 4,64\nFOO\n");
    EXPECT_EQ(Send(":TRAC:CAT?\n", &other), "4,64\n");
    EXPECT_EQ(NextErrorCode(&other), 0);
    EXPECT_EQ(NextErrorCode(), -113);
}

TEST_F(SessionTest, AMessageCutOffMidBlockNeverRuns) {
    Send(":TRAC:DEF 1,16;SEL 1\n");
    Send(":TRAC:DEL:ALL;:TRAC:DATA #232" + Pattern(10));
    EXPECT_TRUE(session_.HasPartialMessage());
    // The connection is dropped here: the instrument still has its segment.
    ScpiSession next(instrument_, commands_);
    EXPECT_EQ(Send(":TRAC:CAT?\n", &next), "1,16\n");
}

TEST_F(SessionTest, AnErrorQuotesAtMostTheDetailLimitOfWhatTheClientSent) {
    std::string header;
    for (int i = 0; i < 5000; ++i) {
        header += ":ABC";
    }
    Send(header + "\n");
    const std::string error = NextError();
    EXPECT_EQ(error.substr(0, 5), "-113,");
    EXPECT_LE(error.size(), 255u) << error.size();
}

// With a budget, a connection holds its own share of answers and what the budget grants;
// a query that does not fit answers nothing and queues -430, the rest of the message runs.
TEST_F(SessionTest, AnswersBeyondTheOutputMemoryAreRefusedWithMinus430) {
    const std::string samples = Pattern(2 * 1000);
    Send(":TRAC:DEF 1,1000;SEL 1;DATA " + Block(samples) + "\n");
    std::string queries;
    for (int i = 0; i < 60; ++i) {
        queries += ":TRAC:DATA?;";
    }
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
    std::string input;
    for (int i = 0; i < kQueries; ++i) {
        input += "*IDN?\n";
    }
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
