#pragma once

#include "download/InstrumentAddress.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// A raw SCPI socket to an instrument: newline-terminated program messages, one-line
// replies, and IEEE 488.2 definite-length blocks ("#<n><count><bytes>") both ways. No
// call waits longer than the timeout for the instrument to take or give a byte, so a
// stalled instrument ends a transfer instead of freezing its caller. A failed call closes
// the connection; LastError() says why and ConnectionLost() whether the instrument went
// away (as opposed to stalling or answering nonsense).
class ScpiConnection {
public:
    // Bytes of the current message handed to the instrument so far, and its whole size.
    using Progress = std::function<void(std::size_t sent, std::size_t total)>;

    static constexpr int kDefaultTimeoutMs = 10000;

    ScpiConnection() = default;
    ~ScpiConnection();
    ScpiConnection(const ScpiConnection&) = delete;
    ScpiConnection& operator=(const ScpiConnection&) = delete;

    bool Open(const InstrumentAddress& address);
    void Close();
    bool IsOpen() const { return socket_ >= 0; }
    // An open connection whose instrument has hung up since the last exchange (it was
    // restarted, say) is closed here, so that the next use opens a fresh one.
    void CloseIfHungUp();
    void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }

    bool Send(std::string_view message);
    // Sends prefix, the block header, the bytes and the newline as one program message,
    // without copying the bytes.
    bool SendBlock(std::string_view prefix, const void* bytes, std::size_t size,
                   const Progress& progress = {});
    std::optional<std::string> Query(std::string_view message);
    // The data of the block the instrument answers with.
    std::optional<std::string> QueryBlock(std::string_view message);

    const std::string& LastError() const { return lastError_; }
    bool ConnectionLost() const { return lost_; }
    static std::string BlockHeader(std::size_t size);

private:
    bool WriteVector(struct iovec* parts, int count, const Progress& progress);
    bool Fill();
    bool ReadLine(std::string& line);
    bool ReadBytes(std::size_t count, std::string& out);
    bool ReadBlockLength(std::size_t& length);
    bool Fail(const std::string& what);
    bool Lost(const std::string& what);

    int socket_ = -1;
    int timeoutMs_ = kDefaultTimeoutMs;
    bool lost_ = false;
    std::string pending_;
    std::string lastError_;
};
