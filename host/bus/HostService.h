#pragma once

#include "bus/HostBusClient.h"
#include "bus/InstrumentWorker.h"
#include "bus/ToolFilter.h"

#include <QObject>
#include <QString>
#include <QThread>

// The running host: it picks its own tool's notifications from the session bus, reads
// what the tool left as each one arrives, and hands it to the instrument worker; what
// happened comes out as one line per notification, those of other tools included (as
// ignored).
class HostService : public QObject {
    Q_OBJECT
public:
    HostService(Workspace workspace, InstrumentAddress address, QObject* parent = nullptr);
    ~HostService() override;

    // False when there is no session bus to listen on.
    bool Start();
    QString LastError() const { return lastError_; }

    // The tool this host started: its notices count wherever it works.
    void SetStartedTool(qint64 processId);
    HostBusClient& Bus() { return bus_; }
    InstrumentWorker& Instrument() { return *worker_; }
    const InstrumentAddress& Address() const { return address_; }
    // The connection of this host's tool; empty until it has joined the bus.
    const QString& ToolConnection() const { return toolConnection_; }

signals:
    void Logged(const QString& line);
    void Ignored(const QString& line);
    // After a notice was performed; `result` is the download's result in few words.
    void Handled(uint code, bool succeeded, const QString& result);

private slots:
    void OnToolJoined(const QString& connection);
    void OnToolNotified(uint code, qlonglong data, const QString& sender);
    void OnPerformed(uint code, const QString& line, bool succeeded, const QString& result);

private:
    Workspace workspace_;
    InstrumentAddress address_;
    ToolFilter filter_;
    HostBusClient bus_;
    QThread thread_;
    InstrumentWorker* worker_ = nullptr;
    QString toolConnection_;
    QString lastError_;
};
