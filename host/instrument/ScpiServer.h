#pragma once

#include "ByteBudget.h"
#include "CommandTable.h"
#include "InstrumentState.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class ResponseBuffer;
class ScpiSession;

// Serves the simulated instrument on a TCP port (raw SCPI socket). Every connection gets
// its own thread and its own ScpiSession, so a client that stalls mid-block, trickles one
// byte a second or never reads its answers holds up nobody but itself. A connection on
// which nothing moves for the idle timeout is closed; one beyond the connection limit is
// told so in one line and closed.
//
// What the connections may hold is bounded in total (see MemoryBound): a fixed share per
// connection, and two budgets shared by all of them, one for the blocks of messages still
// arriving and one for answers not yet taken by their clients.
class ScpiServer {
public:
    static constexpr std::size_t kReceiveBufferBytes = 16 * 1024;
    // The stack awg-sim gives every thread; it has no deep recursion anywhere.
    static constexpr std::size_t kThreadStackBytes = 128 * 1024;

    struct Options {
        std::string bindAddress = "127.0.0.1";
        std::uint16_t port = 5025; // 0 picks a free port
        std::uint64_t memoryPoints = InstrumentState::kDefaultMemoryPoints;
        // The instrument family's sequence bounds.
        SequenceTable::Limits sequenceLimits;
        std::size_t maxClients = 256;
        // Zero: never.
        std::chrono::milliseconds idleTimeout{60'000};
    };

    // Each of the two shared budgets: two messages' worth of blocks (a client writing both
    // channels in one message while another does the same), plus room for the largest
    // text answers.
    static std::uint64_t BlockBudgetBytes(std::uint64_t memoryPoints);

    explicit ScpiServer(Options options);
    ~ScpiServer();
    ScpiServer(const ScpiServer&) = delete;
    ScpiServer& operator=(const ScpiServer&) = delete;

    // Binds, listens and starts accepting; false with the reason in `error`.
    bool Start(std::string& error);
    // Closes the port, ends every connection and waits for their threads.
    void Stop();
    std::uint16_t Port() const { return port_; }
    const std::string& BindAddress() const { return options_.bindAddress; }
    // For in-process tests; hold its Mutex() while looking.
    InstrumentState& Instrument() { return instrument_; }
    std::size_t ClientCount() const;
    const ByteBudget& InputBlocks() const { return inputBlocks_; }
    const ByteBudget& OutputBlocks() const { return outputBlocks_; }
    // What the VXI-11 links share with the socket's connections.
    const Options& CurrentOptions() const { return options_; }
    const CommandTable& Commands() const { return commands_; }
    ByteBudget& SharedInputBlocks() { return inputBlocks_; }
    ByteBudget& SharedOutputBlocks() { return outputBlocks_; }

private:
    struct Client {
        int socket = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void AcceptLoop();
    void AcceptPending();
    void Admit(int socket);
    static void Refuse(int socket, const std::string& reason);
    void Serve(Client& client);
    bool Answer(int socket, ScpiSession& session, std::string_view input, ResponseBuffer& response);
    void ReapFinishedClients();
    void ConfigureClientSocket(int socket) const;
    static bool SendAll(int socket, const ResponseBuffer& response);

    Options options_;
    InstrumentState instrument_;
    CommandTable commands_;
    ByteBudget inputBlocks_;
    ByteBudget outputBlocks_;
    int listenSocket_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    mutable std::mutex clientsMutex_;
    std::list<std::unique_ptr<Client>> clients_;
};
