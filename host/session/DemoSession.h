#pragma once

#include "bus/HostService.h"
#include "session/ConsoluxOptions.h"
#include "workspace/InstallLayout.h"

#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

// Everything `consolux demo` runs: a workspace in a temporary folder with a registry of
// its own, the simulated instrument (unless a real one was named), the host service and
// the tool. Shutting down closes the tool as a host does, then the simulator.
class DemoSession : public QObject {
    Q_OBJECT
public:
    DemoSession(ConsoluxOptions options, InstallLayout layout, QObject* parent = nullptr);
    ~DemoSession() override;

    // Prepares and starts everything but the tool. False with LastError() set.
    bool Start();
    // Starts the tool in the workspace; false (and a line in the log) when it is missing.
    bool StartTool();
    void ShutDown();

    const Workspace& CurrentWorkspace() const { return *workspace_; }
    HostService& Service() { return *service_; }
    const std::string& Mode() const { return options_.mode; }
    bool IsFm() const { return options_.mode == "fm"; }
    bool ToolRunning() const { return tool_.state() != QProcess::NotRunning; }
    QString LastError() const { return lastError_; }

    // Host requests to the tool, addressed to its connection once it has joined the bus.
    void RequestClose();
    void RequestReload();
    void RequestPlace(int x, int y);
    // Leaves "left top right bottom" in the link key, then asks for the tile.
    void RequestTile(const QString& rect);

signals:
    void Logged(const QString& line);
    void ToolStateChanged(bool running);

private:
    bool StartSimulator();
    void SendRequest(uint code, qint64 data, const QString& description);

    ConsoluxOptions options_;
    InstallLayout layout_;
    QTemporaryDir folder_;
    std::unique_ptr<Workspace> workspace_;
    std::unique_ptr<HostService> service_;
    QProcess simulator_;
    QProcess tool_;
    QString lastError_;
};
