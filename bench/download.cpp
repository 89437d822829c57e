// A 16,000,000-point segment from the tool's download notification to the instrument's
// acknowledgement: the tool leaves the command and the file name in the link key, the
// host reads them, reads the 32 MB working file and sends :INST, :TRAC:DEF, :TRAC:DATA
// with the block, then waits for *OPC? and the error queue of awg-sim. Beside it, in the
// same run, a plain loopback socket copy of the same bytes into a receiver's memory with
// a one-byte acknowledgement: the floor any socket download has. The host's download runs
// over the raw socket and over VXI-11 (liblxi to awg-sim's RPC service).
#include "BenchWorkspace.h"
#include "core/HostBus.h"
#include "download/DownloadAgent.h"
#include "link/HostLink.h"
#include "settings/IniFile.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPoints = 16'000'000;
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

// awg-sim on a free loopback port, stopped when the benchmark ends.
class SimulatorProgram {
public:
    SimulatorProgram(const fs::path& folder, bool vxi11) {
        const std::string portFile = (folder / "awg-sim.port").string();
        std::string program = WAVESMITH_AWG_SIM;
        char* arguments[] = {program.data(),
                             const_cast<char*>("--port"),
                             const_cast<char*>("0"),
                             const_cast<char*>("--port-file"),
                             const_cast<char*>(portFile.c_str()),
                             vxi11 ? const_cast<char*>("--vxi11") : nullptr,
                             nullptr};
        // Its own lines go to standard error, so that the benchmark's output (JSON for the
        // table script) stays the benchmark's.
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
        const int spawned =
            ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, arguments, environ);
        ::posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            std::abort();
        }
        for (int attempt = 0; attempt < 500 && port_ == 0; ++attempt) {
            std::ifstream(portFile) >> port_;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (port_ == 0) {
            std::abort();
        }
    }
    ~SimulatorProgram() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    int Port() const { return port_; }

private:
    pid_t pid_ = 0;
    int port_ = 0;
};

// The tool's side of a workspace: a 16 M-point working file entered in the segment table.
struct ToolWorkspace : BenchWorkspace {
    ToolWorkspace() : BenchWorkspace("download") {
        waveFile = state.userFolder + "/TemS1.wa0";
        const std::string samples = Samples();
        std::ofstream(waveFile, std::ios::binary).write(samples.data(), samples.size());
        Write("Settings", "ActiveCh", "0");
        Write("SegmTbl", "Segm1-0", waveFile);
    }
    std::string waveFile;
};

// Over the raw socket (range 0) or over VXI-11 (range 1; rpcbind must be running).
void BM_DownloadThroughHost(benchmark::State& state) {
    const bool vxi11 = state.range(0) == 1;
    ToolWorkspace tool;
    SimulatorProgram simulator(tool.root, vxi11);
    HostLink link(tool.services, tool.Mode());
    DownloadAgent host(Workspace(tool.state.startupFolder, tool.state.userTag, "QW2182"),
                       vxi11 ? *InstrumentAddress::Parse("TCPIP::127.0.0.1::INSTR")
                             : InstrumentAddress::Socket("127.0.0.1", simulator.Port()));
    DownloadRequest request;
    request.lengthPoints = kPoints;
    for (auto _ : state) {
        link.DownloadWaveform(request);
        const std::string line = host.Handle(tool.bus.posted.back());
        if (line.find("-> 0,") == std::string::npos) {
            state.SkipWithError(line.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

int Connect(std::uint16_t port) {
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

void BM_LoopbackSocketCopy(benchmark::State& state) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, 1);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int client = Connect(ntohs(address.sin_port));
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

} // namespace

BENCHMARK(BM_LoopbackSocketCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DownloadThroughHost)
    ->ArgName("vxi11")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
