#pragma once

#include "transport/InstrumentTransport.h"

#include <sys/types.h>
#include <sys/uio.h>

// The framing of InstrumentTransport on a byte stream behind a file descriptor (a socket,
// a USBTMC device file): answers end at their newline, blocks at their announced length.
// Every wait for the instrument is a poll with the read or write timeout.
class StreamTransport : public InstrumentTransport {
public:
    ~StreamTransport() override;

    void Close() override;
    bool IsOpen() const override { return descriptor_ >= 0; }

    bool Send(std::string_view message) override;
    // Without copying the bytes.
    bool SendBlock(std::string_view prefix, const void* bytes, std::size_t size,
                   const Progress& progress = {}) override;
    // In pieces, each read while the one before is on its way.
    bool SendBlockFrom(std::string_view prefix, std::size_t size, const BlockReader& read,
                       const Progress& progress = {}) override;
    std::optional<std::string> Query(std::string_view message) override;
    std::optional<std::string> QueryBlock(std::string_view message) override;

    // True when `events` came within `timeoutMs`.
    static bool WaitFor(int descriptor, short events, int timeoutMs);

protected:
    using InstrumentTransport::InstrumentTransport;

    void Adopt(int descriptor) { descriptor_ = descriptor; }
    int Descriptor() const { return descriptor_; }
    // Hands the device what it takes now of `parts`, the rest of the message; the
    // count written, or -1 with errno.
    virtual ssize_t WriteSome(const iovec* parts, int count) = 0;

private:
    bool WriteVector(iovec* parts, int count, const Progress& progress);
    bool Fill();
    bool ReadLine(std::string& line);
    bool ReadBytes(std::size_t count, std::string& out);
    bool ReadBlockLength(std::size_t& length);

    int descriptor_ = -1;
    std::string pending_;
};
