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
    return connection_.connect(QString(), HostBusAddress::kObjectPath, HostBusAddress::kInterface,
                               HostBusAddress::kToolNotifyMember, this,
                               SLOT(OnToolNotify(QString, uint, qlonglong, QDBusMessage)));
}

void HostBusClient::WatchProcess(qint64 processId) {
    onlyProcess_ = processId;
    senderVerdicts_.clear();
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

bool HostBusClient::FromWatchedProcess(const QString& sender) {
    if (onlyProcess_ == 0) {
        return true;
    }
    const auto known = senderVerdicts_.constFind(sender);
    if (known != senderVerdicts_.constEnd()) {
        return *known;
    }
    const QDBusReply<uint> process = connection_.interface()->servicePid(sender);
    if (!process.isValid()) {
        // The sender left the bus before its signal was handled: a tool that posted its
        // closing notice and ended. Which process it was can no longer be told.
        return true;
    }
    const bool watched = process.value() == onlyProcess_;
    senderVerdicts_.insert(sender, watched);
    return watched;
}
