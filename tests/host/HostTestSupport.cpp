#include "HostTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>

void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "test_host";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}

std::string BuildTreeProgram(const std::string& relativePath) {
    const char* binary = std::getenv("WAVESMITH_BINARY_DIR");
    return std::string(binary != nullptr ? binary : WAVESMITH_BINARY_DIR) + "/" + relativePath;
}

std::string SampleBytes(const std::vector<std::int16_t>& samples) {
    std::string bytes;
    for (std::int16_t sample : samples) {
        const auto value = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<char>(value & 0xFF));
        bytes.push_back(static_cast<char>(value >> 8));
    }
    return bytes;
}

std::vector<std::int16_t> AwkwardSamples(int count) {
    std::vector<std::int16_t> samples(count);
    const std::int16_t awkward[] = {0x0A0A, -1, 0x2323, 10, -8192, 8191, 0};
    for (int i = 0; i < count; ++i) {
        samples[i] = i % 3 == 0 ? awkward[(i / 3) % 7] : static_cast<std::int16_t>(i * 37 - 4000);
    }
    return samples;
}

SimulatorProcess::SimulatorProcess() {
    EnsureQtApplication();
    static QTemporaryDir folder;
    static int serial = 0;
    const QString portFile = folder.filePath(QStringLiteral("port-%1").arg(++serial));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(
        QString::fromStdString(BuildTreeProgram("host/instrument/awg-sim")),
        {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--port-file"), portFile});
    if (!process_.waitForStarted(5000)) {
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000 && port_ == 0) {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            port_ = file.readAll().trimmed().toInt();
        }
        if (port_ == 0) {
            QThread::msleep(10);
        }
    }
}

SimulatorProcess::~SimulatorProcess() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished();
    }
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
