#pragma once

#include "transport/StreamTransport.h"

#include <string>

// USBTMC through the kernel's device file (/dev/usbtmcN): each write() is a message to the
// driver and each read() takes what the instrument answers. A message goes in pieces the
// driver takes whole, the end-of-message mark only on the last, so a 64 MB block is never
// one huge transfer. A USB resource string is mapped to its device file through sysfs when
// the line opens. A device file that vanishes (the instrument unplugged) ends the line as
// lost, and the next open finds it again once it is back.
class UsbtmcTransport : public StreamTransport {
public:
    static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

    explicit UsbtmcTransport(InstrumentAddress address) : StreamTransport(std::move(address)) {}

    bool Open() override;

protected:
    ssize_t WriteSome(const iovec* parts, int count) override;

private:
    // The device file of the address; empty with the reason in `error`.
    std::string DeviceFile(std::string& error) const;
    void SetEndOfMessage(bool enabled);

    bool driver_ = false; // the kernel's driver answers its ioctls (a stand-in does not)
    bool endOfMessage_ = true;
};
