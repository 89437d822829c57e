#include "HostTestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "test_host";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}

bool SessionBusAvailable() {
    EnsureQtApplication();
    return QDBusConnection::sessionBus().isConnected();
}

std::string BuildTreeProgram(const std::string& relativePath) {
    const char* binary = std::getenv("WAVESMITH_BINARY_DIR");
    return std::string(binary != nullptr ? binary : WAVESMITH_BINARY_DIR) + "/" + relativePath;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::int16_t> AwkwardSamples(int count) {
    std::vector<std::int16_t> samples(count);
    const std::int16_t awkward[] = {0x0A0A, -1, 0x2323, 10, -8192, 8191, 0};
    for (int i = 0; i < count; ++i) {
        samples[i] = i % 3 == 0 ? awkward[(i / 3) % 7] : static_cast<std::int16_t>(i * 37 - 4000);
    }
    return samples;
}

namespace {

bool RpcbindAnswers() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, htons(111), {htonl(INADDR_LOOPBACK)}, {}};
    const bool answers =
        ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return answers;
}

} // namespace

RpcbindGuard::RpcbindGuard() {
    EnsureQtApplication();
    if (RpcbindAnswers()) {
        return;
    }
    if (::geteuid() != 0) {
        missing_ = "no rpcbind answers and only root can start one";
        return;
    }
    started_.Start(QStringLiteral("/usr/sbin/rpcbind"), {QStringLiteral("-f")});
    SpinEventLoopUntil(
        [this] { return RpcbindAnswers() || started_.Process().state() == QProcess::NotRunning; });
    if (!RpcbindAnswers()) {
        missing_ = "rpcbind did not start: " + started_.Process().errorString().toStdString();
    }
}

SimulatorProcess::SimulatorProcess(bool vxi11) : vxi11_(vxi11) {
    EnsureQtApplication();
    Launch(0);
}

void SimulatorProcess::Kill(bool frozenFirst) {
    if (frozenFirst) {
        const auto id = static_cast<pid_t>(program_.Process().processId());
        ::kill(id, SIGSTOP);
        std::thread([id] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ::kill(id, SIGKILL);
        }).detach();
        return;
    }
    program_.Process().kill();
    program_.Process().waitForFinished();
}

bool SimulatorProcess::Restart() {
    Kill();
    return Launch(port_);
}

bool SimulatorProcess::Launch(int port) {
    static QTemporaryDir folder;
    static int serial = 0;
    const QString portFile = folder.filePath(QStringLiteral("port-%1").arg(++serial));
    QStringList arguments{QStringLiteral("--port"), QString::number(port),
                          QStringLiteral("--port-file"), portFile};
    if (vxi11_) {
        arguments << QStringLiteral("--vxi11");
    }
    if (!program_.Start(QString::fromStdString(BuildTreeProgram("host/instrument/awg-sim")),
                        arguments)) {
        return false;
    }
    int reported = 0;
    SpinEventLoopUntil([&] {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            reported = file.readAll().trimmed().toInt();
        }
        return reported != 0 || program_.Process().state() != QProcess::Running;
    });
    port_ = reported;
    return reported != 0;
}

// A VXI-11 line shows that its instrument restarted only when it is used: one more try.
std::string InstrumentLook::Answer(const std::string& query, bool block) {
    const auto ask = [&] {
        return block ? Connection().QueryBlock(query) : Connection().Query(query);
    };
    auto answer = ask();
    return (answer || !connection_->ConnectionLost() ? answer : ask()).value_or("<none>");
}

std::string InstrumentLook::Catalog(int channel) {
    return Ask(":INST " + std::to_string(channel) + ";:TRAC:CAT?");
}

std::string InstrumentLook::SegmentData(int channel, int segment) {
    return AskBlock(":INST " + std::to_string(channel) + ";:TRAC:SEL " + std::to_string(segment) +
                    ";:TRAC:DATA?");
}

InstrumentTransport& InstrumentLook::Connection() {
    connection_->CloseIfHungUp();
    if (!connection_->IsOpen()) {
        connection_->Open();
    }
    return *connection_;
}

LoopbackInstrument::LoopbackInstrument(std::optional<std::string> completion)
    : completion_(completion.value_or("")) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::listen(socket_, 4) == 0 &&
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port_ = ntohs(address.sin_port);
    }
    if (completion) {
        thread_ = std::thread([this] { Serve(::accept(socket_, nullptr, nullptr)); });
    }
}

LoopbackInstrument::~LoopbackInstrument() {
    if (thread_.joinable()) {
        ::shutdown(socket_, SHUT_RDWR);
        thread_.join();
    }
    ::close(socket_);
}

void LoopbackInstrument::Serve(int client) {
    std::string pending;
    char buffer[4096];
    for (ssize_t count; client >= 0 && (count = ::read(client, buffer, sizeof buffer)) > 0;) {
        pending.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            const std::string answer = line == "*OPC?"        ? completion_ + "\n"
                                       : line == ":SYST:ERR?" ? "0,\"No error\"\n"
                                                              : "";
            [[maybe_unused]] const auto sent = ::write(client, answer.data(), answer.size());
        }
    }
    ::close(client);
}

bool SpinEventLoopUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}
