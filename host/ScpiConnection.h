#pragma once

#include "InstrumentAddress.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// A raw SCPI socket to an instrument: newline-terminated program messages, one-line
// replies, and IEEE 488.2 definite-length blocks ("#<n><count><bytes>") both ways. Every
// call blocks up to the timeout; a failed call closes the connection, and LastError()
// says why.
class ScpiConnection {
public:
    ScpiConnection() = default;
    ~ScpiConnection();
    ScpiConnection(const ScpiConnection&) = delete;
    ScpiConnection& operator=(const ScpiConnection&) = delete;

    bool Open(const InstrumentAddress& address);
    void Close();
    bool IsOpen() const { return socket_ >= 0; }
    void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }

    bool Send(std::string_view message);
    // Sends prefix, the block header, the bytes and the newline, without copying the bytes.
    bool SendBlock(std::string_view prefix, const void* bytes, std::size_t size);
    std::optional<std::string> Query(std::string_view message);
    // The data of the block the instrument answers with.
    std::optional<std::string> QueryBlock(std::string_view message);

    const std::string& LastError() const { return lastError_; }
    static std::string BlockHeader(std::size_t size);

private:
    bool WriteVector(struct iovec* parts, int count);
    bool Fill();
    bool ReadLine(std::string& line);
    bool ReadBytes(std::size_t count, std::string& out);
    bool Fail(const std::string& what);

    int socket_ = -1;
    int timeoutMs_ = 10000;
    std::string pending_;
    std::string lastError_;
};
