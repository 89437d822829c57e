#include "transport/UsbtmcTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/usb/tmc.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

std::string FirstLine(const std::filesystem::path& file) {
    std::ifstream stream(file);
    std::string line;
    std::getline(stream, line);
    return line;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'F' ? static_cast<char>(c + 32) : c; });
    return text;
}

} // namespace

std::string UsbtmcTransport::DeviceFile(std::string& error) const {
    const InstrumentAddress& address = Address();
    if (!address.path.empty()) {
        return address.path;
    }
    // /sys/class/usbmisc/usbtmcN/device is the interface; its parent is the USB device.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/usbmisc", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("usbtmc", 0) != 0) {
            continue;
        }
        const auto device =
            std::filesystem::canonical(entry.path() / "device", ignored).parent_path();
        if (Lower(FirstLine(device / "idVendor")) == address.usbVendor &&
            Lower(FirstLine(device / "idProduct")) == address.usbProduct &&
            (address.usbSerial.empty() || FirstLine(device / "serial") == address.usbSerial)) {
            return "/dev/" + name;
        }
    }
    error =
        address.ToString() + ": no USBTMC device of that vendor, product and serial is plugged in";
    return "";
}

bool UsbtmcTransport::Open() {
    Close();
    std::string error;
    const std::string file = DeviceFile(error);
    if (file.empty()) {
        return Fail(error);
    }
    const int descriptor = ::open(file.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        return Fail(file + ": " + std::strerror(errno));
    }
    Adopt(descriptor);
    // The driver bounds each transfer by its own timeout; the stand-ins of the tests are
    // bounded by the polls alone.
    const auto timeout =
        static_cast<__u32>(std::max(CurrentTimeouts().readMs, CurrentTimeouts().writeMs));
    driver_ = ::ioctl(descriptor, USBTMC_IOCTL_SET_TIMEOUT, &timeout) == 0;
    endOfMessage_ = true;
    Opened();
    return true;
}

void UsbtmcTransport::SetEndOfMessage(bool enabled) {
    if (!driver_ || enabled == endOfMessage_) {
        return;
    }
    __u8 flag = enabled ? 1 : 0;
    if (::ioctl(Descriptor(), USBTMC_IOCTL_EOM_ENABLE, &flag) == 0) {
        endOfMessage_ = enabled;
    }
}

ssize_t UsbtmcTransport::WriteSome(const iovec* parts, int count) {
    // Up to one piece; the piece that holds the message's last byte carries its end.
    iovec piece[8];
    int used = 0;
    std::size_t room = kPieceBytes;
    std::size_t left = 0;
    for (int i = 0; i < count; ++i) {
        left += parts[i].iov_len;
    }
    for (int i = 0; i < count && used < 8 && room > 0; ++i) {
        const std::size_t take = std::min(room, parts[i].iov_len);
        piece[used++] = {parts[i].iov_base, take};
        room -= take;
    }
    const std::size_t pieceBytes = kPieceBytes - room;
    SetEndOfMessage(pieceBytes == left);
    return ::writev(Descriptor(), piece, used);
}
