#include "HostBusClient.h"

#include "core/HostBus.h"
#include "link/HostBusAddress.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>

HostBusClient::HostBusClient(QObject* parent)
    : HostBusClient(QDBusConnection::sessionBus(), parent) {}

HostBusClient::HostBusClient(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {}

bool HostBusClient::Listen() {
    // A tool's connection is looked up when it joins, so that its closing notice still
    // counts after it has left the bus.
    connection_.connect(QStringLiteral("org.freedesktop.DBus"),
                        QStringLiteral("/org/freedesktop/DBus"),
                        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"),
                        this, SLOT(OnNameOwnerChanged(QString, QString, QString)));
    return connection_.connect(QString(), HostBusAddress::kObjectPath, HostBusAddress::kInterface,
                               HostBusAddress::kToolNotifyMember, this,
                               SLOT(OnToolNotify(QString, uint, qlonglong, QDBusMessage)));
}

void HostBusClient::WatchProcess(qint64 processId) {
    onlyProcess_ = processId;
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
    if (name != QLatin1String(kToolNotifyMessageName) || !FromWatchedProcess(message.service())) {
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
    ProcessOf(name);
}

bool HostBusClient::FromWatchedProcess(const QString& sender) {
    return onlyProcess_ == 0 || ProcessOf(sender) == onlyProcess_;
}

qint64 HostBusClient::ProcessOf(const QString& connectionName) {
    const auto known = processes_.constFind(connectionName);
    if (known != processes_.constEnd()) {
        return *known;
    }
    const QDBusReply<uint> process = connection_.interface()->servicePid(connectionName);
    const qint64 id = process.isValid() ? process.value() : 0;
    processes_.insert(connectionName, id);
    return id;
}
