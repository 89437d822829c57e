#pragma once

struct AppState;
class ProfileStore;
class UserInterface;
class HostBus;

// The process-wide state and the outside world, as every subsystem sees them.
struct AppServices {
    AppState& state;
    ProfileStore& store;
    UserInterface& ui;
    HostBus& bus;
};
