#include "bus/HostService.h"

HostService::HostService(Workspace workspace, InstrumentAddress address, QObject* parent)
    : QObject(parent), workspace_(std::move(workspace)), address_(std::move(address)),
      filter_(workspace_.Folder()), worker_(new InstrumentWorker(workspace_, address_)) {
    thread_.setObjectName(QStringLiteral("instrument"));
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &InstrumentWorker::Performed, this, &HostService::OnPerformed);
    connect(&bus_, &HostBusClient::ToolJoined, this, &HostService::OnToolJoined);
    connect(&bus_, &HostBusClient::ToolNotified, this, &HostService::OnToolNotified);
    thread_.start();
}

HostService::~HostService() {
    // A transfer in progress ends within the connection's timeout.
    thread_.quit();
    thread_.wait();
}

bool HostService::Start() {
    if (!bus_.Connected()) {
        lastError_ = QStringLiteral("no D-Bus session bus: %1").arg(bus_.LastError());
        return false;
    }
    if (!bus_.Listen()) {
        lastError_ = QStringLiteral("cannot listen on the session bus: %1").arg(bus_.LastError());
        return false;
    }
    return true;
}

void HostService::SetStartedTool(qint64 processId) {
    filter_.SetStartedProcess(processId);
}

void HostService::OnToolJoined(const QString& connection) {
    if (filter_.IsOwnTool(bus_.ProcessOf(connection))) {
        toolConnection_ = connection;
    }
}

void HostService::OnToolNotified(uint code, qlonglong, const QString& sender) {
    const ToolNotice notice = ToolNotice::Read(workspace_, static_cast<int>(code));
    const std::string refusal = filter_.Refusal(bus_.ProcessOf(sender), notice);
    if (!refusal.empty()) {
        emit Ignored(
            QStringLiteral("notify %1 ignored: %2").arg(code).arg(QString::fromStdString(refusal)));
        return;
    }
    toolConnection_ = sender;
    worker_->Perform(notice);
}

void HostService::OnPerformed(uint code, const QString& line, bool succeeded,
                              const QString& result) {
    emit Logged(line);
    emit Handled(code, succeeded, result);
}
