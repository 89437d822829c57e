#pragma once

// Where the two registered messages travel off Windows: signals on the D-Bus session bus.
// Both carry the registered message name first, so that a listener can tell them from
// anything else sent under the same interface, then the code and the data (lParam).
//   ToolNotify(s name, u code, x data)   tool -> everyone, name kToolNotifyMessageName
//   HostCommand(s name, u code, x data)  host -> tool, name kHostCommandMessageName
// A host that wants one tool only sends HostCommand to that tool's unique connection
// name (the sender of its ToolNotify signals); otherwise every tool on the bus hears it.
struct HostBusAddress {
    static constexpr const char* kObjectPath = "/com/quellwerk/Wavesmith";
    static constexpr const char* kInterface = "com.quellwerk.Wavesmith.Link";
    static constexpr const char* kToolNotifyMember = "ToolNotify";
    static constexpr const char* kHostCommandMember = "HostCommand";
};
