#pragma once

#include "transport/InstrumentAddress.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// An open line to one instrument, whatever carries it (raw socket, VXI-11, USBTMC):
// newline-terminated program messages out, one-line answers and IEEE 488.2 definite-length
// blocks ("#<n><count><bytes>") in. Connecting, handing over a message and waiting for an
// answer each have their own timeout, so a 64 MB block is bounded by how long the
// instrument may take to accept it, not by how long a query may take. A failed call closes
// the line; LastError() says why and ConnectionLost() whether the instrument went away (it
// may answer a fresh line) as opposed to stalling or answering nonsense.
class InstrumentTransport {
public:
    // Bytes of the current message handed to the instrument so far, and its whole size.
    using Progress = std::function<void(std::size_t sent, std::size_t total)>;

    struct Timeouts {
        int connectMs = 5000;
        int readMs = 10000;
        // The longest the instrument may take to accept the next piece of a message.
        int writeMs = 30000;
    };

    // The transport the address names; never null.
    static std::unique_ptr<InstrumentTransport> For(const InstrumentAddress& address);

    virtual ~InstrumentTransport() = default;
    InstrumentTransport(const InstrumentTransport&) = delete;
    InstrumentTransport& operator=(const InstrumentTransport&) = delete;

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // A line whose instrument has hung up since the last exchange (it was restarted, say)
    // is closed here, so that the next use opens a fresh one.
    virtual void CloseIfHungUp() {}

    virtual bool Send(std::string_view message) = 0;
    // Sends prefix, the block header, the bytes and the newline as one program message.
    virtual bool SendBlock(std::string_view prefix, const void* bytes, std::size_t size,
                           const Progress& progress = {}) = 0;
    // Fills `into` with `count` bytes of a block from `offset`: the reason they cannot be
    // had, or empty. A transport may ask for separate ranges from two threads at once.
    using BlockReader =
        std::function<std::string(std::size_t offset, char* into, std::size_t count)>;
    // SendBlock for a block that is read as it goes out, so that a long one is never copied
    // whole into memory first where the line allows. A piece that cannot be read leaves the
    // message unfinished (no newline: an instrument that acts on whole messages drops it),
    // closes the line and is LastError().
    virtual bool SendBlockFrom(std::string_view prefix, std::size_t size, const BlockReader& read,
                               const Progress& progress = {});
    virtual std::optional<std::string> Query(std::string_view message) = 0;
    // The data of the block the instrument answers with.
    virtual std::optional<std::string> QueryBlock(std::string_view message) = 0;

    void SetTimeouts(const Timeouts& timeouts) { timeouts_ = timeouts; }
    // Raised while a message goes out, `cancel` ends it as a failure that says "cancelled"
    // (over VXI-11 only before it starts: liblxi hands a message over in one call).
    void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }
    bool Cancelled() const { return cancel_ != nullptr && cancel_->load(); }
    const Timeouts& CurrentTimeouts() const { return timeouts_; }
    const InstrumentAddress& Address() const { return address_; }
    const std::string& LastError() const { return lastError_; }
    bool ConnectionLost() const { return lost_; }

protected:
    explicit InstrumentTransport(InstrumentAddress address) : address_(std::move(address)) {}

    // Each closes the line and returns false.
    bool Fail(const std::string& what);
    bool Lost(const std::string& what);
    void Opened() {
        lastError_.clear();
        lost_ = false;
    }

private:
    InstrumentAddress address_;
    Timeouts timeouts_;
    const std::atomic<bool>* cancel_ = nullptr;
    bool lost_ = false;
    std::string lastError_;
};
