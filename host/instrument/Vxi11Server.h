#pragma once

#include "Vxi11Links.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>

class ScpiServer;

// awg-sim's VXI-11 core channel beside its socket: an ONC RPC service (libtirpc) on a TCP
// port of its own, registered with the system's rpcbind, where VXI-11 clients look for an
// instrument. It serves the instrument, command table and memory budgets of the socket
// server. One thread serves every connection, a record at a time: a write is refused
// before its data are taken when it announces more than one message's worth, a client
// stalled mid-record holds the others up until libtirpc gives up on it (35 s), and a
// connection on which nothing moves for the idle timeout is closed with its links.
// (libtirpc's non-blocking records would spare the others that wait, but they break on
// records of several fragments, which is how liblxi sends a large block.)
class Vxi11Server {
public:
    explicit Vxi11Server(ScpiServer& server);
    ~Vxi11Server();
    Vxi11Server(const Vxi11Server&) = delete;
    Vxi11Server& operator=(const Vxi11Server&) = delete;

    // Listens, registers with rpcbind and starts serving; false with the reason in `error`.
    bool Start(std::string& error);
    void Stop();
    std::uint16_t Port() const { return port_; }
    // For the RPC dispatch, on the serving thread only.
    Vxi11Links& Links() { return links_; }
    std::uint32_t MaxRecordBytes() const { return maxRecord_; }

private:
    void Serve();
    void NoteActivity(int descriptor);
    void CloseIdleConnections();
    void ForgetClosedConnections();

    ScpiServer& server_;
    Vxi11Links links_;
    std::uint32_t maxRecord_ = 0;
    int listenSocket_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    void* listener_ = nullptr; // the rendezvous transport
    std::uint16_t port_ = 0;
    bool registered_ = false;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::map<int, std::chrono::steady_clock::time_point> lastActivity_;
};
