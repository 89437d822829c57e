#pragma once

#include <atomic>
#include <string>
#include <thread>

// A stand-in for the kernel's USBTMC device file, in front of awg-sim's socket: the
// device file is a link to a raw pseudo-terminal whose other end a thread relays to the
// simulator, so a program writes its messages and reads the answers as it would from
// /dev/usbtmcN. Unplug takes the device away (its file vanishes and the open line reads
// an error); Plug brings a new one back under the same name.
class UsbtmcStandIn {
public:
    UsbtmcStandIn(std::string folder, int simulatorPort);
    ~UsbtmcStandIn();
    UsbtmcStandIn(const UsbtmcStandIn&) = delete;
    UsbtmcStandIn& operator=(const UsbtmcStandIn&) = delete;

    const std::string& Path() const { return path_; }
    bool Plugged() const { return relay_.joinable(); }
    bool Plug();
    void Unplug();

private:
    void Relay(int device, int instrument);

    std::string path_;
    int port_;
    std::atomic<bool> unplugging_{false};
    std::thread relay_;
};
