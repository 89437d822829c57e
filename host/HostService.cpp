#include "HostService.h"

HostService::HostService(Workspace workspace, InstrumentAddress address, QObject* parent)
    : QObject(parent), agent_(std::move(workspace), std::move(address)) {
    connect(&bus_, &HostBusClient::ToolNotified, this, &HostService::OnToolNotified);
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

void HostService::OnToolNotified(uint code, qlonglong, const QString& sender) {
    toolConnection_ = sender;
    emit Logged(QString::fromStdString(agent_.Handle(static_cast<int>(code))));
    emit Handled(code);
}
