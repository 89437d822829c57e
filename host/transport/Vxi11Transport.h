#pragma once

#include "transport/InstrumentTransport.h"

#include <memory>

// VXI-11 (the core channel of LXI instruments) through liblxi: the link is found through
// the instrument's rpcbind, each program message is one device_write with the end
// indicator, and an answer is read until the instrument marks its end. liblxi takes a
// message in one buffer, so a block message is put together once before it goes.
class Vxi11Transport : public InstrumentTransport {
public:
    // The largest answer taken; a 16 M-point segment is 32 MB.
    static constexpr std::size_t kMostAnswerBytes = std::size_t{1} << 28;
    static constexpr int kRpcbindPort = 111;

    explicit Vxi11Transport(InstrumentAddress address);
    ~Vxi11Transport() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return device_ >= 0; }

    bool Send(std::string_view message) override;
    bool SendBlock(std::string_view prefix, const void* bytes, std::size_t size,
                   const Progress& progress = {}) override;
    // Read straight into the message liblxi hands over in one call.
    bool SendBlockFrom(std::string_view prefix, std::size_t size, const BlockReader& read,
                       const Progress& progress = {}) override;
    std::optional<std::string> Query(std::string_view message) override;
    std::optional<std::string> QueryBlock(std::string_view message) override;

private:
    // Why no link came: rpcbind refusing or silent, as far as a plain connect can tell.
    std::string WhyNoLink() const;
    // The message buffer, `size` bytes long; grown without being cleared (every byte is
    // written before it is sent) and kept, so that the next long block finds it ready.
    char* MessageOfSize(std::size_t size);
    // Hands the message over whole, with the progress before and after.
    bool SendWhole(const Progress& progress);
    bool WriteMessage(const char* data, std::size_t size);
    std::optional<std::string> ReadAnswer();
    // A failure within most of the timeout is the link breaking; one at its end, a stall.
    bool Failed(const char* what, int timeoutMs, long long elapsedMs);

    int device_ = -1;
    std::unique_ptr<char[]> message_;
    std::size_t messageCapacity_ = 0;
    std::size_t messageSize_ = 0;
    std::unique_ptr<char[]> answer_;
};
