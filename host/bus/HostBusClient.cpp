#include "bus/HostBusClient.h"

#include "core/HostBus.h"
#include "core/HostBusAddress.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFileInfo>

namespace {

std::string WorkingFolderOf(qint64 processId) {
    if (processId == 0) {
        return {};
    }
    return QFileInfo(QStringLiteral("/proc/%1/cwd").arg(processId)).symLinkTarget().toStdString();
}

} // namespace

HostBusClient::HostBusClient(QObject* parent)
    : HostBusClient(QDBusConnection::sessionBus(), parent) {}

HostBusClient::HostBusClient(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {}

bool HostBusClient::Listen() {
    // A tool is looked at when it joins, so that a short command-line run that posts and
    // leaves at once is still known by the time its notices are handled.
    connection_.connect(QStringLiteral("org.freedesktop.DBus"),
                        QStringLiteral("/org/freedesktop/DBus"),
                        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"),
                        this, SLOT(OnNameOwnerChanged(QString, QString, QString)));
    return connection_.connect(QString(), HostBusAddress::kObjectPath, HostBusAddress::kInterface,
                               HostBusAddress::kToolNotifyMember, this,
                               SLOT(OnToolNotify(QString, uint, qlonglong, QDBusMessage)));
}

ToolProcess HostBusClient::ProcessOf(const QString& connectionName) {
    const auto known = processes_.constFind(connectionName);
    if (known == processes_.constEnd()) {
        return Learn(connectionName);
    }
    // A process may change its folder after it joined; while it runs, now counts.
    ToolProcess process = *known;
    const std::string folder = WorkingFolderOf(process.id);
    if (!folder.empty()) {
        process.folder = folder;
    }
    return process;
}

bool HostBusClient::SendRequest(uint code, qint64 data, const QString& destination) {
    if (!connection_.isConnected()) {
        return false;
    }
    QDBusMessage signal =
        destination.isEmpty()
            ? QDBusMessage::createSignal(HostBusAddress::kObjectPath, HostBusAddress::kInterface,
                                         HostBusAddress::kHostCommandMember)
            : QDBusMessage::createTargetedSignal(destination, HostBusAddress::kObjectPath,
                                                 HostBusAddress::kInterface,
                                                 HostBusAddress::kHostCommandMember);
    signal << QString::fromLatin1(kHostCommandMessageName) << code << static_cast<qlonglong>(data);
    if (!connection_.send(signal)) {
        return false;
    }
    // The bus handles one connection's messages in order: once it has answered this
    // call, it has routed the signal too.
    return connection_.interface()->isServiceRegistered(connection_.baseService()).isValid();
}

void HostBusClient::OnToolNotify(const QString& name, uint code, qlonglong data,
                                 const QDBusMessage& message) {
    if (name != QLatin1String(kToolNotifyMessageName)) {
        return;
    }
    emit ToolNotified(code, data, message.service());
}

void HostBusClient::OnNameOwnerChanged(const QString& name, const QString&,
                                       const QString& newOwner) {
    if (!name.startsWith(QLatin1Char(':'))) {
        return;
    }
    if (newOwner.isEmpty()) {
        // The bus tells of a departure after every message of the departed, so none of
        // its notices is still waiting.
        processes_.remove(name);
        return;
    }
    Learn(name);
    emit ToolJoined(name);
}

ToolProcess HostBusClient::Learn(const QString& connectionName) {
    const QDBusReply<uint> process = connection_.interface()->servicePid(connectionName);
    ToolProcess learnt;
    learnt.id = process.isValid() ? process.value() : 0;
    learnt.folder = WorkingFolderOf(learnt.id);
    if (learnt.id != 0) {
        processes_.insert(connectionName, learnt);
    }
    return learnt;
}
