#include "platform/console/ConsoleHostBus.h"

#include "core/HostBusAddress.h"

#include <dbus/dbus.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The session bus named by the environment as it is now (libdbus's own look-up keeps the
// first address it saw for the life of the process); without one, libdbus's defaults.
DBusConnection* OpenSessionBus() {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = nullptr;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') {
        connection = dbus_connection_open_private(address, &error);
        if (connection != nullptr && !dbus_bus_register(connection, &error)) {
            dbus_connection_close(connection);
            dbus_connection_unref(connection);
            connection = nullptr;
        }
    } else {
        connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    }
    dbus_error_free(&error);
    return connection;
}

} // namespace

ConsoleHostBus::ConsoleHostBus() : connection_(OpenSessionBus()) {
    if (connection_ != nullptr) {
        // A command-line run must not be ended by the bus going away under it.
        dbus_connection_set_exit_on_disconnect(connection_, FALSE);
    }
}

ConsoleHostBus::~ConsoleHostBus() {
    if (connection_ != nullptr) {
        dbus_connection_flush(connection_);
        dbus_connection_close(connection_);
        dbus_connection_unref(connection_);
    }
}

void ConsoleHostBus::PostToolNotify(int code) {
    DBusMessage* signal =
        connection_ == nullptr
            ? nullptr
            : dbus_message_new_signal(HostBusAddress::kObjectPath, HostBusAddress::kInterface,
                                      HostBusAddress::kToolNotifyMember);
    if (signal == nullptr) {
        std::fprintf(stderr, "notify %d\n", code);
        return;
    }
    const char* name = kToolNotifyMessageName;
    const dbus_uint32_t wireCode = static_cast<dbus_uint32_t>(code);
    const dbus_int64_t data = 0;
    dbus_message_append_args(signal, DBUS_TYPE_STRING, &name, DBUS_TYPE_UINT32, &wireCode,
                             DBUS_TYPE_INT64, &data, DBUS_TYPE_INVALID);
    dbus_connection_send(connection_, signal, nullptr);
    // The run may end right after the post; the signal must have left by then.
    dbus_connection_flush(connection_);
    dbus_message_unref(signal);
}

void ConsoleHostBus::SetRequestHandler(RequestHandler handler) {
    handler_ = std::move(handler);
}
