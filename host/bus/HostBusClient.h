#pragma once

#include "bus/ToolProcess.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QString>

// The host's end of the session-bus link: hears every tool's ToolNotify signals, knows
// which process (and working folder) is behind each sender, and sends HostCommand
// requests, either to every tool or to one tool's connection.
class HostBusClient : public QObject {
    Q_OBJECT
public:
    explicit HostBusClient(QObject* parent = nullptr);
    HostBusClient(const QDBusConnection& connection, QObject* parent);

    bool Connected() const { return connection_.isConnected(); }
    QString UniqueName() const { return connection_.baseService(); }
    QString LastError() const { return connection_.lastError().message(); }

    // Starts delivering ToolJoined and ToolNotified.
    bool Listen();
    // The process behind a connection and its working folder as they are now; as they
    // were when it joined once it has left the bus; unknown when it left before it could
    // be asked.
    ToolProcess ProcessOf(const QString& connectionName);
    // An empty destination reaches every tool on the bus. Returns once the bus has the
    // request, so a short-lived caller may exit right after.
    bool SendRequest(uint code, qint64 data, const QString& destination = QString());

signals:
    void ToolJoined(const QString& connectionName);
    void ToolNotified(uint code, qlonglong data, const QString& sender);

private slots:
    void OnToolNotify(const QString& name, uint code, qlonglong data, const QDBusMessage& message);
    void OnNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    ToolProcess Learn(const QString& connectionName);

    QDBusConnection connection_;
    // What is known of the connections on the bus, learnt while they are there to ask.
    QHash<QString, ToolProcess> processes_;
};
