// awg-sim: a simulated two-channel arbitrary waveform generator on a raw SCPI socket.
#include "ScpiServer.h"
#include "SimulatorOptions.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <string>
#include <vector>

namespace {

// Written next to the target and renamed, so a test polling for the file never reads a
// half-written port number.
bool WritePortFile(const std::string& path, unsigned port) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << port << '\n';
        if (!file.flush()) {
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    SimulatorOptions options;
    std::string error;
    if (!SimulatorOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "awg-sim: " << error << '\n' << SimulatorOptions::Usage();
        return 2;
    }
    if (options.help) {
        std::cout << SimulatorOptions::Usage();
        return 0;
    }

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
    if (!options.portFile.empty() && !WritePortFile(options.portFile, server.Port())) {
        std::cerr << "awg-sim: cannot write " << options.portFile << '\n';
        server.Stop();
        return 1;
    }

    int received = 0;
    sigwait(&stopSignals, &received);
    server.Stop();
    std::cout << "awg-sim stopped" << std::endl;
    return 0;
}
