#pragma once

#include "instrument/ScpiTestClient.h"
#include "support/ProgramUnderTest.h"
#include "transport/InstrumentAddress.h"
#include "transport/InstrumentTransport.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A Qt application object for the tests that need an event loop or QProcess.
void EnsureQtApplication();
// Whether a D-Bus session bus answers; the tests that need one skip without it.
bool SessionBusAvailable();
// Each test of a fixture derived from this runs on the session bus, and skips without one.
class SessionBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SessionBusAvailable()) {
            GTEST_SKIP() << "no D-Bus session bus (run under dbus-run-session)";
        }
    }
};
// A program of the build tree, such as "host/instrument/awg-sim".
std::string BuildTreeProgram(const std::string& relativePath);
// A waveform whose bytes include a newline, "#" and all-ones, as binary data must pass.
std::vector<std::int16_t> AwkwardSamples(int count);
// Whether `text` holds `part` anywhere.
bool Contains(const std::string& text, const std::string& part);

// rpcbind for the tests that use VXI-11: the one that answers on 127.0.0.1, or one started
// for the test (and stopped with it) when none does.
class RpcbindGuard {
public:
    RpcbindGuard();

    // Empty when rpcbind answers; otherwise why the test has to do without it.
    const std::string& Missing() const { return missing_; }

private:
    ProgramUnderTest started_;
    std::string missing_;
};

// awg-sim on a free loopback port for the duration of a test, over VXI-11 too when asked.
class SimulatorProcess {
public:
    explicit SimulatorProcess(bool vxi11 = false);

    bool Running() { return port_ > 0 && program_.Process().state() == QProcess::Running; }
    int Port() const { return port_; }
    InstrumentAddress Address() const {
        return vxi11_ ? *InstrumentAddress::Parse("TCPIP::127.0.0.1::INSTR")
                      : InstrumentAddress::Socket("127.0.0.1", port_);
    }
    // Ends it as a crash or a power cut would: no goodbye on its connections. Frozen first,
    // it is killed a moment later, while a client is surely in the middle of a block.
    void Kill(bool frozenFirst = false);
    // Starts it again on the same port, as a restarted instrument comes back.
    bool Restart();

private:
    bool Launch(int port);

    ProgramUnderTest program_;
    int port_ = 0;
    bool vxi11_ = false;
};

// The test's own look at an instrument, connected afresh after the instrument restarted.
// A query without an answer gives "<none>".
class InstrumentLook {
public:
    explicit InstrumentLook(const InstrumentAddress& address)
        : connection_(InstrumentTransport::For(address)) {}

    std::string Ask(const std::string& query) { return Answer(query, false); }
    // A block's bytes.
    std::string AskBlock(const std::string& query) { return Answer(query, true); }
    std::string Catalog(int channel);
    std::string SegmentData(int channel, int segment);

private:
    std::string Answer(const std::string& query, bool block);
    InstrumentTransport& Connection();

    std::unique_ptr<InstrumentTransport> connection_;
};

// An instrument on a loopback port. Without a script it never accepts: the socket listens,
// so a client connects and then only the kernel's buffers fill, and nothing is answered.
// Scripted, it answers "*OPC?" with `completion` and the error queue with "0,"No error"",
// and takes every other line without a word.
class LoopbackInstrument {
public:
    explicit LoopbackInstrument(std::optional<std::string> completion = std::nullopt);
    ~LoopbackInstrument();
    LoopbackInstrument(const LoopbackInstrument&) = delete;
    LoopbackInstrument& operator=(const LoopbackInstrument&) = delete;

    InstrumentAddress Address() const { return InstrumentAddress::Socket("127.0.0.1", port_); }

private:
    void Serve(int client);

    std::string completion_;
    int socket_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// Runs `body` in the Qt event loop until `done` says so or the time is up.
bool SpinEventLoopUntil(const std::function<bool()>& done, int timeoutMs = 5000);
