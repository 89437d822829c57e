#include "ScpiServer.h"
#include "instrument/ScpiTestClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr auto Pattern = ScpiTestClient::Pattern;
constexpr auto Block = ScpiTestClient::Block;

class ServerTest : public ::testing::Test {
protected:
    void StartServer(std::uint64_t memoryPoints, std::size_t maxClients = 256,
                     std::chrono::milliseconds idleTimeout = 60s) {
        ScpiServer::Options options;
        options.port = 0;
        options.memoryPoints = memoryPoints;
        options.maxClients = maxClients;
        options.idleTimeout = idleTimeout;
        server_ = std::make_unique<ScpiServer>(options);
        std::string error;
        ASSERT_TRUE(server_->Start(error)) << error;
        ASSERT_NE(server_->Port(), 0);
    }
    std::unique_ptr<ScpiTestClient> Connect() {
        auto client = std::make_unique<ScpiTestClient>(server_->Port());
        EXPECT_TRUE(client->Connected());
        return client;
    }
    // The server's threads settle in their own time: polled for up to five seconds.
    // Each question is asked once: a question that connects must not be asked again just
    // to report the answer it gave.
    static bool WaitUntil(const std::function<bool()>& settled) {
        for (int i = 0; i < 250; ++i) {
            if (settled()) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    static int NextErrorCode(ScpiTestClient& client) {
        const auto line = client.Query(":SYST:ERR?");
        return line ? std::stoi(*line) : 1;
    }

    std::unique_ptr<ScpiServer> server_;
};

} // namespace

// A message whose block is cut off by a disconnect never runs, not even its commands
// before the block; the payload received in place must not reach the segment either.
TEST_F(ServerTest, ABlockCutOffByADisconnectChangesNothingAndTheNextOneIsStoredExactly) {
    constexpr std::size_t kPoints = 1'500'000;
    StartServer(2 * kPoints);
    auto owner = Connect();
    const std::string original = Pattern(2 * kPoints, 11);
    const std::string define = ":TRAC:DEF 1," + std::to_string(kPoints) + ";:TRAC:SEL 1\n";
    ASSERT_TRUE(owner->Send(define + ":TRAC:DATA " + Block(original) + "\n"));
    EXPECT_EQ(NextErrorCode(*owner), 0);
    {
        auto quitter = Connect();
        const std::string replacement = Pattern(2 * kPoints, 12);
        const std::string message = ":TRAC:DEL:ALL;:TRAC:DATA " + Block(replacement);
        ASSERT_TRUE(quitter->Send(message.substr(0, message.size() - 1000)));
        EXPECT_EQ(owner->Query("*OPC?"), "1");
    }
    ASSERT_TRUE(WaitUntil([&] { return server_->ClientCount() == 1; }));
    EXPECT_EQ(owner->Query(":TRAC:CAT?"), "1," + std::to_string(kPoints));
    ASSERT_TRUE(owner->Send(":TRAC:DATA?\n"));
    EXPECT_TRUE(owner->ReadBlock(30s) == original) << "a cut-off block changed the segment";

    // The abandoned block's buffer may be received into again: only the new bytes show.
    const std::string next = Pattern(2 * kPoints, 13);
    ASSERT_TRUE(owner->Send(":TRAC:DATA " + Block(next) + "\n:TRAC:DATA?\n"));
    EXPECT_TRUE(owner->ReadBlock(30s) == next) << "segment differs from the bytes sent";
    EXPECT_EQ(NextErrorCode(*owner), 0);
}

TEST_F(ServerTest, AStalledOrTricklingClientDoesNotHoldUpAnother) {
    StartServer(1000);
    auto stalled = Connect();
    ASSERT_TRUE(stalled->Send(":TRAC:DATA #9000100000" + Pattern(10, 3)));

    auto trickler = Connect();
    auto other = Connect();
    const std::string samples = Pattern(2 * 32, 4);
    const std::string message = ":TRAC:DEF 9,32;:TRAC:SEL 9;:TRAC:DATA " + Block(samples) + "\n";
    // After every single byte of the trickler's message the other client is answered.
    for (const char c : message) {
        ASSERT_TRUE(trickler->Send(std::string_view(&c, 1)));
        ASSERT_EQ(other->Query("*OPC?"), "1");
    }
    // The trickler's own answer shows that its message has run; only then may another
    // client expect the segment (each connection has its own thread).
    EXPECT_EQ(NextErrorCode(*trickler), 0);
    ASSERT_TRUE(other->Send(":TRAC:SEL 9;:TRAC:DATA?\n"));
    EXPECT_EQ(other->ReadBlock(), samples);
}

TEST_F(ServerTest, ServesAHundredClientsAtOnce) {
    StartServer(1'000'000);
    constexpr int kClients = 100;
    std::vector<std::unique_ptr<ScpiTestClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(Connect());
        ASSERT_TRUE(clients.back()->Connected());
    }
    // Each thread owns one connection; all of them are open before any of them talks.
    std::vector<std::string> expected(kClients);
    std::vector<std::string> readBack(kClients);
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i) {
        expected[i] = Pattern(2 * (64 + i), 100 + i);
        threads.emplace_back([&, i] {
            const int segment = i + 1;
            // One message runs as a whole, so another client's :TRAC:SEL cannot slip in.
            const std::string message = ":TRAC:DEF " + std::to_string(segment) + "," +
                                        std::to_string(64 + i) + ";SEL " + std::to_string(segment) +
                                        ";DATA " + Block(expected[i]) + ";:TRAC:DATA?\n";
            if (clients[i]->Send(message)) {
                readBack[i] = clients[i]->ReadBlock(20s).value_or("no answer");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(server_->ClientCount(), static_cast<std::size_t>(kClients));
    for (int i = 0; i < kClients; ++i) {
        EXPECT_TRUE(readBack[i] == expected[i]) << "client " << i;
        EXPECT_EQ(NextErrorCode(*clients[i]), 0) << "client " << i;
    }
    const auto catalog = clients[0]->Query(":TRAC:CAT?");
    ASSERT_TRUE(catalog.has_value());
    EXPECT_EQ(std::count(catalog->begin(), catalog->end(), ','), 2 * kClients - 1);
}

// The limits a session sets on its input from the instrument: a block larger than the
// memory and a line longer than the text limit are dropped with their errors, and the
// stream stays in step.
TEST_F(ServerTest, InputBeyondTheLimitsIsRefusedAndTheStreamStaysInStep) {
    StartServer(1000);
    auto client = Connect();
    ASSERT_TRUE(client->Send(":TRAC:DEF 1,16;SEL 1\n:TRAC:DATA #43000" + Pattern(3000, 5) + "\n"));
    EXPECT_EQ(client->Query(":SYST:ERR?").value_or("").substr(0, 5), "-223,");
    ASSERT_TRUE(client->Send(std::string(3 << 20, 'A')));
    EXPECT_EQ(client->Query("\n*OPC?"), "1");
    EXPECT_EQ(client->Query(":SYST:ERR?").value_or("").substr(0, 5), "-363,");
    EXPECT_EQ(NextErrorCode(*client), 0);
    const std::string samples = Pattern(32, 6);
    ASSERT_TRUE(client->Send(":TRAC:DATA " + Block(samples) + "\n:TRAC:DATA?\n"));
    EXPECT_EQ(client->ReadBlock(), samples);
}

TEST_F(ServerTest, BinaryGarbageFillsTheErrorQueueButBreaksNothing) {
    StartServer(1000);
    auto bystander = Connect();
    auto client = Connect();
    ASSERT_TRUE(client->Send(Pattern(1 << 20, 9)));
    // More newlines than the largest block the garbage can announce brings any stray
    // block to its end and the stream back to a message boundary.
    ASSERT_TRUE(client->Send(std::string(4100, '\n') + "*OPC?\n"));
    EXPECT_EQ(client->ReadLine(10s), "1");
    EXPECT_EQ(client->Query(":SYST:ERR:COUN?"), "32");
    EXPECT_EQ(bystander->Query(":SYST:ERR?"), "0,\"No error\"");
    EXPECT_EQ(bystander->Query("*IDN?").value_or("").substr(0, 9), "Quellwerk");
    ASSERT_TRUE(client->Send("*CLS\n:SYST:ERR?\n"));
    EXPECT_EQ(client->ReadLine(), "0,\"No error\"");
}

TEST_F(ServerTest, AConnectionBeyondTheLimitIsToldSoInOneLineAndClosed) {
    StartServer(1000, 2);
    auto first = Connect();
    auto second = Connect();
    EXPECT_EQ(first->Query("*OPC?"), "1");
    EXPECT_EQ(second->Query("*OPC?"), "1");
    // Its query is already on the way when it is refused: the line still arrives.
    auto third = Connect();
    const auto refusal = third->Query("*IDN?");
    EXPECT_EQ(refusal.value_or("").substr(0, 5), "-310,") << refusal.value_or("nothing");
    EXPECT_TRUE(third->ClosedByPeer(5s));
    second.reset();
    // A slot frees once the server notices the closed connection.
    EXPECT_TRUE(WaitUntil([&] { return ScpiTestClient(server_->Port()).Query("*OPC?") == "1"; }));
}

// Idle, stopped mid-block, or not reading its answers: after the idle timeout the client
// sees the end of the stream (a clean close it can reconnect after), and everything the
// connection drew from the shared budgets is back.
TEST_F(ServerTest, AConnectionOnWhichNothingMovesIsClosedCleanlyAndGivesItsMemoryBack) {
    constexpr std::size_t kPoints = 1'000'000;
    // Long against the 100 ms between the active client's queries, so that a busy machine
    // does not make it look idle.
    StartServer(kPoints, 256, 1500ms);
    auto active = Connect();
    ASSERT_TRUE(active->Send(":TRAC:DEF 1," + std::to_string(kPoints) + ";:TRAC:SEL 1\n"));
    EXPECT_EQ(NextErrorCode(*active), 0);

    auto idle = Connect();
    auto stalled = Connect();
    ASSERT_TRUE(stalled->Send(":TRAC:DATA #71000000" + Pattern(5000, 31)));
    auto deaf = Connect();
    // 80 MB of answers: more than any socket buffer takes.
    ASSERT_TRUE(deaf->Send(ScpiTestClient::Repeated(":TRAC:DATA?\n", 40)));
    ASSERT_TRUE(WaitUntil([&] { return server_->ClientCount() == 4; }));
    // An active client is not idle however long it stays.
    for (int i = 0; i < 100 && server_->ClientCount() > 1; ++i) {
        EXPECT_EQ(active->Query("*OPC?"), "1");
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(server_->ClientCount(), 1u);
    EXPECT_TRUE(idle->ClosedByPeer(0ms));
    EXPECT_TRUE(stalled->ClosedByPeer(0ms));
    EXPECT_EQ(server_->InputBlocks().Taken(), 0u);
    EXPECT_EQ(server_->OutputBlocks().Taken(), 0u);
    EXPECT_EQ(active->Query("*IDN?").value_or("").substr(0, 9), "Quellwerk");
}

TEST_F(ServerTest, ABlockBeyondTheSharedInputMemoryIsRefusedUntilAnotherConnectionLetsGo) {
    constexpr std::uint64_t kPoints = 4'000'000;
    StartServer(kPoints);
    const std::string payload(2 * kPoints, 'y');
    const std::string announce = ":TRAC:DATA " + Block(payload).substr(0, 9);
    const ByteBudget& budget = server_->InputBlocks();
    const auto taken = [&](std::uint64_t bytes) {
        return WaitUntil([&] { return budget.Taken() == bytes; });
    };
    // Announced blocks that never arrive hold their buffers' reservations.
    std::vector<std::unique_ptr<ScpiTestClient>> holders;
    holders.push_back(Connect());
    ASSERT_TRUE(holders.back()->Send(announce + "abc"));
    WaitUntil([&] { return budget.Taken() > 0; });
    const std::uint64_t perBlock = budget.Taken();
    ASSERT_GT(perBlock, payload.size());
    const std::uint64_t fitting = budget.Capacity() / perBlock;
    ASSERT_GE(fitting, 2u);
    while (holders.size() < fitting) {
        holders.push_back(Connect());
        ASSERT_TRUE(holders.back()->Send(announce + "abc"));
        ASSERT_TRUE(taken(holders.size() * perBlock)) << budget.Taken();
    }

    auto refused = Connect();
    ASSERT_TRUE(refused->Send(":TRAC:DEF 1," + std::to_string(kPoints) + ";:TRAC:SEL 1\n" +
                              announce + payload + "\n"));
    EXPECT_EQ(refused->Query(":SYST:ERR?").value_or("").substr(0, 5), "-223,");
    EXPECT_EQ(NextErrorCode(*refused), 0);

    holders.front().reset();
    ASSERT_TRUE(taken((fitting - 1) * perBlock)) << budget.Taken();
    ASSERT_TRUE(refused->Send(announce + payload + "\n"));
    EXPECT_EQ(NextErrorCode(*refused), 0);
}

TEST_F(ServerTest, StopEndsIdleAndHalfFinishedConnections) {
    StartServer(1000);
    auto idle = Connect();
    auto halfway = Connect();
    ASSERT_TRUE(halfway->Send(":TRAC:DATA #41000abc"));
    EXPECT_EQ(idle->Query("*OPC?"), "1");
    server_->Stop();
    EXPECT_TRUE(idle->ClosedByPeer(1s));
    EXPECT_EQ(server_->ClientCount(), 0u);
}
