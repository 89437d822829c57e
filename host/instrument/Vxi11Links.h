#pragma once

#include "ByteBudget.h"
#include "CommandTable.h"
#include "ResponseBuffer.h"
#include "ScpiSession.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class InstrumentState;

// The links of VXI-11 clients to the simulated instrument, free of RPC: each link is a
// conversation of its own (an ScpiSession, as a socket connection has), device_write feeds
// it and device_read takes its answers, in pieces of the size the client asks for, the end
// indicator on the last. The answers a link holds draw on the same budget as a socket's.
class Vxi11Links {
public:
    // The protocol's error codes that the core channel gives.
    enum Error : long {
        kNoError = 0,
        kDeviceNotAccessible = 3,
        kInvalidLink = 4,
        kOutOfResources = 9,
        kIoTimeout = 15,
        kIoError = 17,
    };
    // device_read's reasons and device_write's flags.
    static constexpr long kReasonRequestCount = 1;
    static constexpr long kReasonTermChar = 2;
    static constexpr long kReasonEnd = 4;
    static constexpr long kFlagEnd = 8;
    static constexpr long kFlagTermCharSet = 128;

    struct Created {
        long error = kNoError;
        long link = 0;
    };
    struct Written {
        long error = kNoError;
        std::size_t size = 0;
    };
    struct Read {
        long error = kNoError;
        long reason = 0;
        std::string data;
    };

    Vxi11Links(InstrumentState& instrument, const CommandTable& commands, ByteBudget* inputBlocks,
               ByteBudget* outputBlocks, std::size_t maxLinks);
    ~Vxi11Links();

    // `owner` is the RPC connection's descriptor: a link dies with its connection.
    Created Create(std::string_view device, int owner);
    // The bytes of a device_write as `read` hands them over (false: the stream broke off),
    // `length` in all. A block's payload is read straight into the message it belongs to,
    // as the socket receives it, so a large write costs no buffer of its own.
    using Reader = std::function<bool(char* into, std::size_t count)>;
    Written Write(long link, std::size_t length, long flags, const Reader& read);
    Written Write(long link, std::string_view bytes, long flags);
    Read ReadAnswer(long link, std::size_t requestSize, long flags, char termChar);
    long Clear(long link);
    long Destroy(long link);
    void DropLinksOf(int owner);
    std::size_t Count() const { return links_.size(); }

private:
    struct Link;

    Link* Find(long link);
    // False when the stream broke off or the link's answers are full (the rest is lost).
    bool Feed(Link& link, std::size_t length, const Reader& read);

    InstrumentState& instrument_;
    const CommandTable& commands_;
    ByteBudget* inputBlocks_;
    ByteBudget* outputBlocks_;
    std::size_t maxLinks_;
    long nextLink_ = 1;
    std::map<long, std::unique_ptr<Link>> links_;
};
