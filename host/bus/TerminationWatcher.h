#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a clean quit of the Qt event loop, so that a host stopped
// from a terminal or by a test still closes its tool and simulator and removes its
// temporary workspace.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

private:
    static void OnSignal(int signal);

    QSocketNotifier* notifier_ = nullptr;
};
