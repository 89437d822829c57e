#pragma once

#include "transport/StreamTransport.h"

// A raw SCPI socket to the instrument's TCP port, non-blocking and without Nagle's delay.
class SocketTransport : public StreamTransport {
public:
    explicit SocketTransport(InstrumentAddress address) : StreamTransport(std::move(address)) {}

    bool Open() override;
    void CloseIfHungUp() override;

protected:
    ssize_t WriteSome(const iovec* parts, int count) override;
};
