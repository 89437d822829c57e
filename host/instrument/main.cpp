// awg-sim: a simulated two-channel arbitrary waveform generator on a raw SCPI socket, and
// over VXI-11 beside it.
#include "MemoryBound.h"
#include "ScpiServer.h"
#include "SimulatorOptions.h"
#include "Vxi11Server.h"
#include "settings/AtomicFileWriter.h"

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <string>
#include <vector>

namespace {

// Through the programs' one safe writer, so a test polling for the file never reads a
// half-written port number.
bool WritePortFile(const std::string& path, unsigned port) {
    return AtomicFileWriter::WriteWhole(path, std::to_string(port) + "\n");
}

// Connection threads run with a small stack, so that hundreds of them stay cheap even
// where every stack would otherwise be backed by huge pages.
void UseSmallThreadStacks() {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return;
    }
    if (pthread_attr_setstacksize(&attributes, ScpiServer::kThreadStackBytes) == 0) {
        pthread_setattr_default_np(&attributes);
    }
    pthread_attr_destroy(&attributes);
}

// Every connection is a descriptor: without enough of them, clients beyond the soft limit
// would wait unanswered instead of being served or refused.
void AllowDescriptorsFor(std::size_t connections) {
    constexpr rlim_t kSpare = 64;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return;
    }
    const rlim_t wanted = std::min<rlim_t>(connections + kSpare, limit.rlim_max);
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

std::string MemoryBoundText(const ScpiServer::Options& options) {
    constexpr std::uint64_t kMiB = 1 << 20;
    const MemoryBound bound = MemoryBound::For(options);
    return "memory bound with these options: " + std::to_string(bound.Total() / kMiB + 1) +
           " MiB for " + std::to_string(options.maxClients) + " connections\n";
}

} // namespace

int main(int argc, char** argv) {
    SimulatorOptions options;
    std::string error;
    if (!SimulatorOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "awg-sim: " << error << '\n' << SimulatorOptions::Usage();
        return 2;
    }
    switch (options.request) {
    case SimulatorOptions::Request::Help:
        std::cout << SimulatorOptions::Usage() << MemoryBoundText(options.server);
        return 0;
    case SimulatorOptions::Request::Version:
        std::cout << "awg-sim " << WAVESMITH_VERSION << '\n';
        return 0;
    case SimulatorOptions::Request::Manual:
        std::cout << SimulatorOptions::Manual(WAVESMITH_VERSION);
        return 0;
    default:
        break;
    }
    UseSmallThreadStacks();
    AllowDescriptorsFor(options.server.maxClients);

    // Every thread inherits this mask, so SIGINT and SIGTERM reach only sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ScpiServer server(options.server);
    if (!server.Start(error)) {
        std::cerr << "awg-sim: " << error << '\n';
        return 1;
    }
    std::cout << "awg-sim listening on " << server.BindAddress() << ':' << server.Port()
              << std::endl;
    Vxi11Server vxi11(server);
    if (options.vxi11) {
        if (!vxi11.Start(error)) {
            std::cerr << "awg-sim: " << error << '\n';
            server.Stop();
            return 1;
        }
        std::cout << "awg-sim serving VXI-11 on " << server.BindAddress() << ':' << vxi11.Port()
                  << " (TCPIP::" << server.BindAddress() << "::INSTR)" << std::endl;
    }
    if (!options.portFile.empty() && !WritePortFile(options.portFile, server.Port())) {
        std::cerr << "awg-sim: cannot write " << options.portFile << '\n';
        vxi11.Stop();
        server.Stop();
        return 1;
    }

    int received = 0;
    sigwait(&stopSignals, &received);
    vxi11.Stop();
    server.Stop();
    std::cout << "awg-sim stopped" << std::endl;
    return 0;
}
