#include "platform/qt/DbusHostBus.h"

#include "core/HostBusAddress.h"

#include <QDBusMessage>
#include <QtDebug>

DbusHostBus::DbusHostBus(QObject* parent) : DbusHostBus(QDBusConnection::sessionBus(), parent) {}

DbusHostBus::DbusHostBus(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
    if (!connection_.isConnected()) {
        WarnOnce();
        return;
    }
    connection_.connect(QString(), HostBusAddress::kObjectPath, HostBusAddress::kInterface,
                        HostBusAddress::kHostCommandMember, this,
                        SLOT(OnHostCommand(QString, uint, qlonglong)));
}

void DbusHostBus::PostToolNotify(int code) {
    if (!connection_.isConnected()) {
        WarnOnce();
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        HostBusAddress::kObjectPath, HostBusAddress::kInterface, HostBusAddress::kToolNotifyMember);
    signal << QString::fromLatin1(kToolNotifyMessageName) << static_cast<uint>(code)
           << static_cast<qlonglong>(0);
    connection_.send(signal);
}

void DbusHostBus::SetRequestHandler(RequestHandler handler) {
    handler_ = std::move(handler);
}

void DbusHostBus::OnHostCommand(const QString& name, uint code, qlonglong data) {
    if (name != QLatin1String(kHostCommandMessageName) || !handler_) {
        return;
    }
    handler_(code, data);
}

void DbusHostBus::WarnOnce() {
    if (warned_) {
        return;
    }
    warned_ = true;
    qWarning("No D-Bus session bus: notifications to the host are dropped (%s)",
             qPrintable(connection_.lastError().message()));
}
