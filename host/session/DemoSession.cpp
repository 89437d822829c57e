#include "session/DemoSession.h"

#include "core/HostBus.h"
#include "platform/posix/PosixProcessFacts.h"
#include "settings/IniFile.h"
#include "settings/RegistryKey.h"
#include "workspace/WorkspacePreparer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <sys/prctl.h>

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kCloseTimeoutMs = 3000;

QString ModeWord(const std::string& mode) {
    if (mode == "fm") {
        return QStringLiteral("FMS");
    }
    return mode == "pulse" ? QStringLiteral("PLS") : QString();
}

} // namespace

DemoSession::DemoSession(ConsoluxOptions options, InstallLayout layout, QObject* parent)
    : QObject(parent), options_(std::move(options)), layout_(std::move(layout)),
      folder_(QDir::tempPath() + QStringLiteral("/consolux-demo-XXXXXX")) {
    simulator_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool_.setProcessChannelMode(QProcess::ForwardedChannels);
    // Should the demo die without closing them, the children follow it.
    for (QProcess* child : {&simulator_, &tool_}) {
        child->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    connect(&tool_, &QProcess::started, this, [this] { emit ToolStateChanged(true); });
    connect(&tool_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus) {
        emit Logged(QStringLiteral("tool exited with status %1").arg(exitCode));
        emit ToolStateChanged(false);
    });
}

DemoSession::~DemoSession() {
    ShutDown();
}

bool DemoSession::Start() {
    if (!folder_.isValid()) {
        lastError_ =
            QStringLiteral("cannot create a temporary folder: %1").arg(folder_.errorString());
        return false;
    }
    const std::string root = folder_.path().toStdString();
    // The tool inherits this, so both sides share a registry that dies with the demo.
    ::setenv("WAVESMITH_REGISTRY_DIR", (root + "/registry").c_str(), 1);

    const std::string userTag = Workspace::UserTagFor(PosixProcessFacts().LogonUserName());
    WorkspacePreparer preparer(layout_.FamiliesFolder());
    const auto prepared =
        preparer.Prepare(root + "/workspace", options_.family, userTag, options_.memoryPoints);
    if (!prepared) {
        lastError_ = QString::fromStdString(preparer.LastError());
        return false;
    }
    workspace_ = std::make_unique<Workspace>(*prepared);
    if (!options_.instrument && !StartSimulator()) {
        return false;
    }
    service_ = std::make_unique<HostService>(*workspace_, *options_.instrument);
    connect(service_.get(), &HostService::Logged, this, &DemoSession::Logged);
    if (!service_->Start()) {
        lastError_ = service_->LastError();
        return false;
    }
    return true;
}

bool DemoSession::StartSimulator() {
    const std::string program = layout_.SimulatorExecutable();
    if (program.empty()) {
        lastError_ = QStringLiteral("awg-sim not found beside consolux; name an instrument "
                                    "with --instrument ADDRESS");
        return false;
    }
    const QString portFile = folder_.filePath(QStringLiteral("awg-sim.port"));
    QStringList arguments{QStringLiteral("--port"), QStringLiteral("0"),
                          QStringLiteral("--port-file"), portFile};
    // The simulated instrument takes the family's sequence bounds; a family file without
    // them, or with values beyond the simulator's, leaves the simulator's own.
    struct Bound {
        const char* key;
        QString option;
        qlonglong most;
    };
    const IniFile family(workspace_->FamilyFile());
    for (const Bound& bound : {Bound{"MaxSequStp", QStringLiteral("--max-steps"), 32768},
                               Bound{"MaxLoopNo", QStringLiteral("--max-loops"), 16777215}}) {
        bool whole = false;
        const qlonglong value =
            QString::fromStdString(family.Read("SegmTbl", bound.key).value_or(""))
                .trimmed()
                .toLongLong(&whole);
        if (whole && value >= 1 && value <= bound.most) {
            arguments << bound.option << QString::number(value);
        }
    }
    if (options_.memoryPoints) {
        arguments << QStringLiteral("--memory") << QString::number(*options_.memoryPoints);
    }
    simulator_.start(QString::fromStdString(program), arguments);
    if (!simulator_.waitForStarted(kStartTimeoutMs)) {
        lastError_ = QStringLiteral("awg-sim did not start: %1").arg(simulator_.errorString());
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kStartTimeoutMs) {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            const auto address =
                InstrumentAddress::Parse("127.0.0.1:" + file.readAll().trimmed().toStdString());
            if (address) {
                options_.instrument = address;
                return true;
            }
        }
        if (simulator_.state() == QProcess::NotRunning) {
            break;
        }
        QThread::msleep(20);
    }
    lastError_ = QStringLiteral("awg-sim did not report its port");
    return false;
}

bool DemoSession::StartTool() {
    const std::string program = layout_.ToolExecutable();
    if (program.empty()) {
        emit Logged(QStringLiteral("wavesmith not found beside consolux: run the tool by hand "
                                   "in %1")
                        .arg(QString::fromStdString(workspace_->Folder())));
        return false;
    }
    const QString word = ModeWord(options_.mode);
    tool_.setWorkingDirectory(QString::fromStdString(workspace_->Folder()));
    tool_.start(QString::fromStdString(program),
                word.isEmpty() ? QStringList() : QStringList{word});
    if (!tool_.waitForStarted(kStartTimeoutMs)) {
        emit Logged(QStringLiteral("tool did not start: %1").arg(tool_.errorString()));
        return false;
    }
    service_->SetStartedTool(tool_.processId());
    emit Logged(QStringLiteral("tool started: %1 %2").arg(QString::fromStdString(program), word));
    return true;
}

void DemoSession::ShutDown() {
    if (tool_.state() != QProcess::NotRunning) {
        RequestClose();
        if (!tool_.waitForFinished(kCloseTimeoutMs)) {
            tool_.terminate();
            if (!tool_.waitForFinished(kCloseTimeoutMs)) {
                tool_.kill();
                tool_.waitForFinished();
            }
        }
    }
    if (simulator_.state() != QProcess::NotRunning) {
        simulator_.terminate();
        if (!simulator_.waitForFinished(kCloseTimeoutMs)) {
            simulator_.kill();
            simulator_.waitForFinished();
        }
    }
}

void DemoSession::RequestClose() {
    SendRequest(IsFm() ? HostCloseFm : HostCloseStandard, 0, QStringLiteral("close"));
}

void DemoSession::RequestReload() {
    SendRequest(HostReload, 0, QStringLiteral("reload"));
}

void DemoSession::RequestPlace(int x, int y) {
    const qint64 data =
        static_cast<qint64>(static_cast<quint16>(y)) << 16 | static_cast<quint16>(x);
    SendRequest(IsFm() ? HostPlaceFm : HostPlaceStandard, data,
                QStringLiteral("place at %1,%2").arg(x).arg(y));
}

void DemoSession::RequestTile(const QString& rect) {
    RegistryKey(RegistryRoot::CurrentUser, workspace_->LinkKeyPath())
        .WriteValue("tileRct", rect.simplified().toStdString());
    SendRequest(HostTile, 0, QStringLiteral("tile to %1").arg(rect.simplified()));
}

void DemoSession::SendRequest(uint code, qint64 data, const QString& description) {
    // Addressed to this demo's tool only: without a destination the request would reach
    // every tool on the bus, other hosts' tools included.
    const QString tool = service_->ToolConnection();
    const bool sent = !tool.isEmpty() && service_->Bus().SendRequest(code, data, tool);
    const QString failure = tool.isEmpty()
                                ? QStringLiteral(" (not sent: the tool is not on the bus)")
                                : QStringLiteral(" (not sent)");
    emit Logged(
        QStringLiteral("request %1 %2%3").arg(code).arg(description, sent ? QString() : failure));
}
