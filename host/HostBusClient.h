#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QString>

// The host's end of the session-bus link: hears the tools' ToolNotify signals and sends
// HostCommand requests, either to every tool or to one tool's connection.
class HostBusClient : public QObject {
    Q_OBJECT
public:
    explicit HostBusClient(QObject* parent = nullptr);
    HostBusClient(const QDBusConnection& connection, QObject* parent);

    bool Connected() const { return connection_.isConnected(); }
    QString UniqueName() const { return connection_.baseService(); }
    QString LastError() const { return connection_.lastError().message(); }

    // Starts delivering ToolNotified, from every tool until WatchProcess narrows it.
    bool Listen();
    // From now on only the signals of this process count (0: every process again).
    void WatchProcess(qint64 processId);
    // An empty destination reaches every tool on the bus. Returns once the bus has the
    // request, so a short-lived caller may exit right after.
    bool SendRequest(uint code, qint64 data, const QString& destination = QString());

signals:
    void ToolNotified(uint code, qlonglong data, const QString& sender);

private slots:
    void OnToolNotify(const QString& name, uint code, qlonglong data, const QDBusMessage& message);
    void OnNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    bool FromWatchedProcess(const QString& sender);
    qint64 ProcessOf(const QString& connectionName);

    QDBusConnection connection_;
    qint64 onlyProcess_ = 0;
    // Process ids of the connections on the bus, learnt while they are there to ask.
    QHash<QString, qint64> processes_;
};
