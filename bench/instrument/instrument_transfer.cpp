// How fast a 16,000,000-point segment (32 MB) gets into and out of awg-sim, measured
// beside a plain loopback TCP copy of the same bytes in the same run: the copy is the
// floor that any socket instrument has, the difference is the simulator's own cost
// (framing the block, storing the segment, answering).
#include "BlockHeader.h"
#include "ScpiServer.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr std::uint64_t kPoints = 16'000'000;
constexpr std::size_t kBytes = kPoints * 2;

std::string Samples() {
    std::string bytes(kBytes, '\0');
    std::uint32_t x = 1;
    for (char& byte : bytes) {
        x = x * 214013u + 2531011u;
        byte = static_cast<char>(x >> 16);
    }
    return bytes;
}

int ConnectTo(std::uint16_t port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::abort();
    }
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

void SendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            std::abort();
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

void ReceiveExactly(int socket, char* into, std::size_t count) {
    while (count > 0) {
        const ssize_t received = ::recv(socket, into, count, 0);
        if (received <= 0) {
            std::abort();
        }
        into += received;
        count -= static_cast<std::size_t>(received);
    }
}

// Reads up to and including "\n" (the response of a short query).
std::string ReceiveLine(int socket) {
    std::string line;
    char c = 0;
    while (c != '\n') {
        ReceiveExactly(socket, &c, 1);
        line += c;
    }
    return line;
}

// The peer: a listener that takes the 32 MB into memory and acknowledges with one byte.
void BM_LoopbackSocketCopy(benchmark::State& state) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, 1);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int client = ConnectTo(ntohs(address.sin_port));
    const int server = ::accept(listener, nullptr, nullptr);
    const std::string samples = Samples();
    std::thread receiver([server, iterations = state.max_iterations] {
        std::string stored(kBytes, '\0');
        for (benchmark::IterationCount i = 0; i < iterations; ++i) {
            ReceiveExactly(server, stored.data(), kBytes);
            SendAll(server, "1");
        }
    });
    for (auto _ : state) {
        SendAll(client, samples);
        char ack = 0;
        ReceiveExactly(client, &ack, 1);
    }
    receiver.join();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
    ::close(client);
    ::close(server);
    ::close(listener);
}

class Simulator {
public:
    Simulator() : server_(Options()) {
        std::string error;
        if (!server_.Start(error)) {
            std::abort();
        }
        socket_ = ConnectTo(server_.Port());
        SendAll(socket_, ":TRAC:DEF 1,16000000;:TRAC:SEL 1\n");
    }
    ~Simulator() { ::close(socket_); }
    int Socket() const { return socket_; }

private:
    static ScpiServer::Options Options() {
        ScpiServer::Options options;
        options.port = 0;
        options.memoryPoints = kPoints;
        return options;
    }

    ScpiServer server_;
    int socket_ = -1;
};

// :TRAC:DATA with the 32 MB block, then *OPC? so the time covers the segment being stored.
void BM_SimulatorTraceDataWrite(benchmark::State& state) {
    Simulator simulator;
    const std::string message = ":TRAC:DATA " + BlockHeader::Format(kBytes) + Samples() + "\n";
    for (auto _ : state) {
        SendAll(simulator.Socket(), message);
        SendAll(simulator.Socket(), "*OPC?\n");
        if (ReceiveLine(simulator.Socket()) != "1\n") {
            std::abort();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

// A whole download as the host sends it: channel, segment definition and selection, the
// block, then *OPC?. Each one redefines the segment, so the old one is released every time.
void BM_SimulatorDownload(benchmark::State& state) {
    Simulator simulator;
    const std::string block = ":TRAC:DATA " + BlockHeader::Format(kBytes) + Samples() + "\n";
    for (auto _ : state) {
        SendAll(simulator.Socket(), ":INST 1\n");
        SendAll(simulator.Socket(), ":TRAC:DEF 1,16000000;:TRAC:SEL 1\n");
        SendAll(simulator.Socket(), block);
        SendAll(simulator.Socket(), "*OPC?\n");
        if (ReceiveLine(simulator.Socket()) != "1\n") {
            std::abort();
        }
    }
    SendAll(simulator.Socket(), ":SYST:ERR?\n");
    if (ReceiveLine(simulator.Socket()) != "0,\"No error\"\n") {
        state.SkipWithError("the instrument reported an error");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

// :TRAC:DATA? of the 32 MB segment, read completely by the client.
void BM_SimulatorTraceDataRead(benchmark::State& state) {
    Simulator simulator;
    SendAll(simulator.Socket(), ":TRAC:DATA " + BlockHeader::Format(kBytes) + Samples() + "\n");
    const std::size_t responseSize = BlockHeader::Format(kBytes).size() + kBytes + 1;
    std::string response(responseSize, '\0');
    for (auto _ : state) {
        SendAll(simulator.Socket(), ":TRAC:DATA?\n");
        ReceiveExactly(simulator.Socket(), response.data(), responseSize);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

} // namespace

BENCHMARK(BM_LoopbackSocketCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SimulatorTraceDataWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SimulatorDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SimulatorTraceDataRead)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
