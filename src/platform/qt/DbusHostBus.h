#pragma once

#include "core/HostBus.h"

#include <QDBusConnection>
#include <QObject>

// The host bus of the GUI on the D-Bus session bus. Posting is a broadcast signal that
// nobody acknowledges; requests arrive as signals through the Qt event loop, so the
// handler runs on the thread that owns this object (the GUI thread).
class DbusHostBus : public QObject, public HostBus {
    Q_OBJECT
public:
    explicit DbusHostBus(QObject* parent = nullptr);
    explicit DbusHostBus(const QDBusConnection& connection, QObject* parent = nullptr);

    void PostToolNotify(int code) override;
    void SetRequestHandler(RequestHandler handler) override;

    bool Connected() const { return connection_.isConnected(); }

private slots:
    void OnHostCommand(const QString& name, uint code, qlonglong data);

private:
    void WarnOnce();

    QDBusConnection connection_;
    RequestHandler handler_;
    bool warned_ = false;
};
