#include "UsbtmcStandIn.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

int ConnectTo(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{
        AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

} // namespace

UsbtmcStandIn::UsbtmcStandIn(std::string folder, int simulatorPort)
    : path_(std::move(folder) + "/usbtmc0"), port_(simulatorPort) {
    Plug();
}

UsbtmcStandIn::~UsbtmcStandIn() {
    Unplug();
}

bool UsbtmcStandIn::Plug() {
    Unplug();
    const int device = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device < 0 || ::grantpt(device) != 0 || ::unlockpt(device) != 0) {
        return false;
    }
    // Raw: binary blocks pass the terminal untouched.
    termios raw{};
    ::tcgetattr(device, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(device, TCSANOW, &raw);
    const int instrument = ConnectTo(port_);
    if (instrument < 0 || ::symlink(::ptsname(device), path_.c_str()) != 0) {
        ::close(device);
        return false;
    }
    unplugging_ = false;
    relay_ = std::thread([this, device, instrument] { Relay(device, instrument); });
    return true;
}

void UsbtmcStandIn::Unplug() {
    ::unlink(path_.c_str());
    if (relay_.joinable()) {
        unplugging_ = true;
        relay_.join();
    }
}

void UsbtmcStandIn::Relay(int device, int instrument) {
    char buffer[1 << 16];
    pollfd ends[2] = {{device, POLLIN, 0}, {instrument, POLLIN, 0}};
    while (!unplugging_) {
        if (::poll(ends, 2, 20) <= 0) {
            continue;
        }
        // A device file no program holds open hangs up until the next one opens it.
        const bool fromDevice = (ends[0].revents & POLLIN) != 0;
        if (!fromDevice && (ends[1].revents & (POLLIN | POLLHUP)) == 0) {
            ::usleep(2000);
            continue;
        }
        const int from = fromDevice ? device : instrument;
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        if (count <= 0 && fromDevice) {
            continue;
        }
        // Both ends block, so a write takes all it is given or fails.
        if (count <= 0 || ::write(fromDevice ? instrument : device, buffer,
                                  static_cast<std::size_t>(count)) != count) {
            break;
        }
    }
    ::close(instrument);
    ::close(device);
}
