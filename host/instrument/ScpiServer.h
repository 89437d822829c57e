#pragma once

#include "CommandTable.h"
#include "InstrumentState.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class ResponseBuffer;

// Serves the simulated instrument on a TCP port (raw SCPI socket). Every connection gets
// its own thread and its own ScpiSession, so a client that stalls mid-block, trickles one
// byte a second or never reads its answers holds up nobody but itself. Connections beyond
// the client limit are closed at once.
class ScpiServer {
public:
    struct Options {
        std::string bindAddress = "127.0.0.1";
        std::uint16_t port = 5025; // 0 picks a free port
        std::uint64_t memoryPoints = InstrumentState::kDefaultMemoryPoints;
        std::size_t maxClients = 256;
    };

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

private:
    struct Client {
        int socket = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void AcceptLoop();
    void AcceptOne();
    void Serve(Client& client);
    void ReapFinishedClients();
    static bool SendAll(int socket, const ResponseBuffer& response);

    Options options_;
    InstrumentState instrument_;
    CommandTable commands_;
    int listenSocket_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    mutable std::mutex clientsMutex_;
    std::list<std::unique_ptr<Client>> clients_;
};
