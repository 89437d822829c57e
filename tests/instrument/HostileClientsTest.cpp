// awg-sim as a process of its own under every kind of hostile client at once: its memory
// stays under the bound it documents, and a fresh client is still served.
#include "MemoryBound.h"
#include "instrument/ScpiTestClient.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

using namespace std::chrono_literals;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr std::uint64_t kMemoryPoints = 500'000;
constexpr std::size_t kBlockBytes = 2 * kMemoryPoints;
constexpr int kEachKind = 100;
constexpr int kIdle = 300;
constexpr int kKinds = 5;
// Every hostile and idle connection, the one that sets the instrument up, and a fresh one.
constexpr std::size_t kMaxConnections = kKinds * kEachKind + kIdle + 2;
// Far longer than setting all the clients up takes, even on a machine busy with builds
// (setting up took up to 5 s there without sanitizers); the test waits this long once.
constexpr int kIdleTimeoutSeconds = kSanitized ? 40 : 20;

// awg-sim started with --port 0, its port read from the port file, ended with SIGTERM.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const std::vector<std::string>& options) {
        folder_ = std::filesystem::temp_directory_path() /
                  ("awg-sim-hostile-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string portFile = (folder_ / "port").string();
        std::vector<std::string> arguments = {AWG_SIM_PATH, "--port", "0", "--port-file", portFile};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 500 && pid_ > 0 && port_ == 0; ++i) {
            std::ifstream file(portFile);
            unsigned port = 0;
            if (file >> port) {
                port_ = static_cast<std::uint16_t>(port);
            } else {
                std::this_thread::sleep_for(10ms);
            }
        }
    }
    ~SimulatorProcess() {
        Stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    std::uint16_t Port() const { return port_; }

    // A "Vm..." figure of /proc/<pid>/status in bytes.
    std::optional<std::uint64_t> Memory(const std::string& field) const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string name;
        std::uint64_t kilobytes = 0;
        std::string unit;
        while (status >> name) {
            if (name == field + ":" && status >> kilobytes >> unit) {
                return kilobytes * 1024;
            }
            status.ignore(1 << 20, '\n');
        }
        return std::nullopt;
    }

    // The exit status after SIGTERM, -1 when it did not end normally.
    int Stop() {
        if (pid_ <= 0) {
            return exitStatus_;
        }
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exitStatus_;
    }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    int exitStatus_ = -1;
};

using Clients = std::vector<std::unique_ptr<ScpiTestClient>>;

bool EnoughDescriptors() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return false;
    }
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    return limit.rlim_cur >= kMaxConnections + 64;
}

Clients Open(std::uint16_t port, int count) {
    Clients clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<ScpiTestClient>(port));
    }
    return clients;
}

// Sends `bytes` on every connection; the number that took all of them.
int SendEach(const Clients& clients, const std::string& bytes) {
    int sent = 0;
    for (const auto& client : clients) {
        sent += client->Send(bytes) ? 1 : 0;
    }
    return sent;
}

constexpr auto Repeated = ScpiTestClient::Repeated;

std::string Samples(char fill) {
    return ScpiTestClient::Block(std::string(kBlockBytes, fill));
}

double MiB(std::uint64_t bytes) {
    return static_cast<double>(bytes) / (1 << 20);
}

} // namespace

TEST(HostileClients, MemoryStaysUnderTheDocumentedBoundAndFreshClientsAreServed) {
    if (!EnoughDescriptors()) {
        GTEST_SKIP() << "needs " << kMaxConnections + 64 << " file descriptors";
    }
    ScpiServer::Options options;
    options.memoryPoints = kMemoryPoints;
    options.maxClients = kMaxConnections;
    const std::uint64_t bound = MemoryBound::For(options).Total();
    SimulatorProcess simulator({"--memory", std::to_string(kMemoryPoints), "--max-connections",
                                std::to_string(kMaxConnections), "--idle-timeout",
                                std::to_string(kIdleTimeoutSeconds)});
    ASSERT_NE(simulator.Port(), 0) << "awg-sim did not start";
    const std::uint16_t port = simulator.Port();

    // Talks between the groups, so that it outlives the idle timeout.
    ScpiTestClient setup(port);
    ASSERT_TRUE(setup.Send(":TRAC:DEF 1," + std::to_string(kMemoryPoints) + ";:TRAC:SEL 1\n" +
                           ":TRAC:DATA " + Samples('a') + "\n"));
    ASSERT_EQ(setup.Query(":SYST:ERR?"), "0,\"No error\"");
    const auto started = std::chrono::steady_clock::now();

    // A header of a megabyte, never ended.
    const Clients longHeaders = Open(port, kEachKind);
    EXPECT_EQ(SendEach(longHeaders, ":" + std::string(1 << 20, 'H')), kEachKind);
    EXPECT_EQ(setup.Query("*OPC?"), "1");
    // Headers that the error queue quotes back, more of them than it holds.
    const Clients quoted = Open(port, kEachKind);
    EXPECT_EQ(SendEach(quoted, Repeated(Repeated(":ABC", 1000) + "\n", 40)), kEachKind);
    EXPECT_EQ(setup.Query("*OPC?"), "1");
    // Blocks announced in full and stopped one byte short.
    const std::string announce = ":TRAC:DATA #7" + std::to_string(kBlockBytes);
    const Clients stalled = Open(port, kEachKind);
    EXPECT_EQ(SendEach(stalled, announce + std::string(kBlockBytes - 1, 'g')), kEachKind);
    EXPECT_EQ(setup.Query("*OPC?"), "1");
    // Block answers that are never read, of segment versions replaced meanwhile.
    const Clients deaf = Open(port, kEachKind);
    EXPECT_EQ(SendEach(deaf, Repeated(":TRAC:DATA?\n", 4) + Repeated("*IDN?\n", 1000)), kEachKind);
    for (const char fill : {'b', 'c', 'd'}) {
        ASSERT_TRUE(setup.Send(":TRAC:DATA " + Samples(fill) + "\n"));
        EXPECT_EQ(setup.Query("*OPC?"), "1");
    }
    const Clients idle = Open(port, kIdle);
    // Blocks announced in full, then trickled.
    const Clients tricklers = Open(port, kEachKind);
    EXPECT_EQ(SendEach(tricklers, announce + std::string(1000, 'f')), kEachKind);

    {
        ScpiTestClient fresh(port);
        EXPECT_EQ(fresh.Query("*IDN?").value_or("no answer").substr(0, 9), "Quellwerk");
        ScpiTestClient beyond(port);
        EXPECT_EQ(beyond.Query("*IDN?").value_or("no answer").substr(0, 5), "-310,");
        EXPECT_TRUE(beyond.ClosedByPeer(5s));
    }
    const auto resident = simulator.Memory("VmRSS");
    const auto settingUp = std::chrono::steady_clock::now() - started;
    ASSERT_LT(settingUp, std::chrono::seconds(kIdleTimeoutSeconds) / 2)
        << "the clients took longer to set up than the idle timeout";

    // Only the tricklers and the client that keeps talking outlive the idle timeout.
    const auto quiet = std::chrono::steady_clock::now() + std::chrono::seconds(kIdleTimeoutSeconds);
    while (std::chrono::steady_clock::now() < quiet + 1500ms) {
        EXPECT_EQ(SendEach(tricklers, "f"), kEachKind);
        EXPECT_EQ(setup.Query("*OPC?"), "1");
        std::this_thread::sleep_for(250ms);
    }
    // The sweep may lag behind on a loaded machine (sanitizers, parallel tests): every such
    // connection must be closed within one more timeout, however late.
    const auto lastChance =
        std::chrono::steady_clock::now() + std::chrono::seconds(kIdleTimeoutSeconds);
    int closed = 0;
    for (const Clients* group : {&idle, &longHeaders, &quoted, &stalled}) {
        for (const auto& client : *group) {
            const auto left = std::max(std::chrono::steady_clock::duration(100ms),
                                       lastChance - std::chrono::steady_clock::now());
            closed +=
                client->ClosedByPeer(std::chrono::duration_cast<std::chrono::milliseconds>(left))
                    ? 1
                    : 0;
        }
    }
    EXPECT_EQ(closed, kIdle + 3 * kEachKind) << "connections left open past the idle timeout";
    ScpiTestClient later(port);
    EXPECT_EQ(later.Query("*IDN?").value_or("no answer").substr(0, 9), "Quellwerk");

    const auto peak = simulator.Memory("VmHWM");
    ASSERT_TRUE(peak.has_value() && resident.has_value());
    std::cout << "awg-sim with " << kMaxConnections - 1 << " connections open, set up in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(settingUp).count()
              << " ms: VmRSS " << MiB(*resident) << " MiB; peak over the whole run (VmHWM) "
              << MiB(*peak) << " MiB; bound " << MiB(bound) << " MiB" << std::endl;
    EXPECT_EQ(simulator.Stop(), 0);

    if (kSanitized) {
        GTEST_SKIP() << "memory figures under the address sanitizer are not awg-sim's own";
    }
    EXPECT_LT(*peak, bound) << "peak " << MiB(*peak) << " MiB over the bound " << MiB(bound);
}
