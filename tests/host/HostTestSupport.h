#pragma once

#include "InstrumentAddress.h"

#include <QProcess>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A Qt application object for the tests that need an event loop or QProcess.
void EnsureQtApplication();
// A program of the build tree, such as "host/instrument/awg-sim".
std::string BuildTreeProgram(const std::string& relativePath);
// Samples as the tool writes them: headerless little-endian 16-bit codes.
std::string SampleBytes(const std::vector<std::int16_t>& samples);
// A waveform whose bytes include a newline, "#" and all-ones, as binary data must pass.
std::vector<std::int16_t> AwkwardSamples(int count);

// awg-sim on a free loopback port for the duration of a test.
class SimulatorProcess {
public:
    SimulatorProcess();
    ~SimulatorProcess();

    bool Running() const { return port_ > 0; }
    InstrumentAddress Address() const { return {"127.0.0.1", port_}; }

private:
    QProcess process_;
    int port_ = 0;
};

// Runs `body` in the Qt event loop until `done` says so or the time is up.
bool SpinEventLoopUntil(const std::function<bool()>& done, int timeoutMs = 5000);
