#pragma once

#include "DownloadAgent.h"
#include "HostBusClient.h"

#include <QObject>
#include <QString>

// The running host: every notification a tool posts on the session bus is handed to the
// download agent, and what happened comes out as one line per notification.
class HostService : public QObject {
    Q_OBJECT
public:
    HostService(Workspace workspace, InstrumentAddress address, QObject* parent = nullptr);

    // False when there is no session bus to listen on.
    bool Start();
    QString LastError() const { return lastError_; }

    HostBusClient& Bus() { return bus_; }
    DownloadAgent& Agent() { return agent_; }
    // The connection of the tool that spoke last; empty before the first notification.
    const QString& ToolConnection() const { return toolConnection_; }

signals:
    void Logged(const QString& line);
    void Handled(uint code);

private slots:
    void OnToolNotified(uint code, qlonglong data, const QString& sender);

private:
    HostBusClient bus_;
    DownloadAgent agent_;
    QString toolConnection_;
    QString lastError_;
};
