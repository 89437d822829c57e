#include "Vxi11Links.h"

#include <algorithm>
#include <cstring>

struct Vxi11Links::Link {
    Link(InstrumentState& instrument, const CommandTable& commands, ByteBudget* inputBlocks,
         ByteBudget* outputBlocks, int owner)
        : session(instrument, commands, inputBlocks), response(outputBlocks), owner(owner) {}

    ScpiSession session;
    ResponseBuffer response;
    int owner;
    // How far the client has read into `response`.
    std::size_t piece = 0;
    std::size_t offset = 0;
    bool lastByteWasNewline = true;
};

Vxi11Links::Vxi11Links(InstrumentState& instrument, const CommandTable& commands,
                       ByteBudget* inputBlocks, ByteBudget* outputBlocks, std::size_t maxLinks)
    : instrument_(instrument), commands_(commands), inputBlocks_(inputBlocks),
      outputBlocks_(outputBlocks), maxLinks_(maxLinks) {}

Vxi11Links::~Vxi11Links() = default;

Vxi11Links::Created Vxi11Links::Create(std::string_view device, int owner) {
    // The instrument is its one device, "inst0"; other instN name nothing here.
    if (device != "inst0") {
        return {kDeviceNotAccessible, 0};
    }
    if (links_.size() >= maxLinks_) {
        return {kOutOfResources, 0};
    }
    const long id = nextLink_++;
    links_.emplace(
        id, std::make_unique<Link>(instrument_, commands_, inputBlocks_, outputBlocks_, owner));
    return {kNoError, id};
}

Vxi11Links::Link* Vxi11Links::Find(long link) {
    const auto found = links_.find(link);
    return found == links_.end() ? nullptr : found->second.get();
}

bool Vxi11Links::Feed(Link& link, std::size_t length, const Reader& read) {
    constexpr std::size_t kTextChunk = 4096;
    char text[kTextChunk];
    while (length > 0) {
        const std::span<char> payload = link.session.PayloadSpace();
        if (!payload.empty()) {
            const std::size_t count = std::min(payload.size(), length);
            if (!read(payload.data(), count)) {
                return false;
            }
            link.session.ReceivePayload(count);
            link.lastByteWasNewline = payload[count - 1] == '\n';
            length -= count;
            continue;
        }
        // Text up to the next block header, a small piece at a time.
        const std::size_t count = std::min(kTextChunk, length);
        if (!read(text, count)) {
            return false;
        }
        length -= count;
        link.lastByteWasNewline = text[count - 1] == '\n';
        std::string_view rest(text, count);
        while (!rest.empty()) {
            const std::span<char> more = link.session.PayloadSpace();
            if (!more.empty()) {
                const std::size_t part = std::min(more.size(), rest.size());
                std::memcpy(more.data(), rest.data(), part);
                link.session.ReceivePayload(part);
                rest.remove_prefix(part);
                continue;
            }
            const std::size_t taken = link.session.Receive(rest, link.response);
            rest.remove_prefix(taken);
            if (!rest.empty() && (link.response.Full() || taken == 0)) {
                return false; // answers nobody reads: what is left of the write is dropped
            }
        }
    }
    return true;
}

Vxi11Links::Written Vxi11Links::Write(long link, std::size_t length, long flags,
                                      const Reader& read) {
    Link* found = Find(link);
    if (found == nullptr) {
        return {kInvalidLink, 0};
    }
    if (!Feed(*found, length, read)) {
        return {kIoError, 0};
    }
    // The end indicator ends the program message as a newline would.
    if (length > 0 && (flags & kFlagEnd) != 0 && !found->lastByteWasNewline) {
        const char newline = '\n';
        Feed(*found, 1, [&](char* into, std::size_t) {
            *into = newline;
            return true;
        });
    }
    return {kNoError, length};
}

Vxi11Links::Written Vxi11Links::Write(long link, std::string_view bytes, long flags) {
    return Write(link, bytes.size(), flags, [&bytes](char* into, std::size_t count) {
        std::memcpy(into, bytes.data(), count);
        bytes.remove_prefix(count);
        return true;
    });
}

Vxi11Links::Read Vxi11Links::ReadAnswer(long link, std::size_t requestSize, long flags,
                                        char termChar) {
    Link* found = Find(link);
    if (found == nullptr) {
        return {kInvalidLink, 0, {}};
    }
    Link& l = *found;
    const auto& pieces = l.response.Pieces();
    if (l.piece >= pieces.size()) {
        // Nothing will come: the answers of a link are made while its messages are written.
        return {kIoTimeout, 0, {}};
    }
    Read read;
    const bool stopAtTermChar = (flags & kFlagTermCharSet) != 0;
    while (l.piece < pieces.size() && read.data.size() < requestSize && read.reason == 0) {
        std::string_view rest = pieces[l.piece].View().substr(l.offset);
        std::size_t take = std::min(rest.size(), requestSize - read.data.size());
        if (stopAtTermChar) {
            const std::size_t at = rest.substr(0, take).find(termChar);
            if (at != std::string_view::npos) {
                take = at + 1;
                read.reason = kReasonTermChar;
            }
        }
        read.data.append(rest.substr(0, take));
        l.offset += take;
        if (l.offset == pieces[l.piece].View().size()) {
            ++l.piece;
            l.offset = 0;
        }
    }
    if (l.piece >= pieces.size()) {
        read.reason |= kReasonEnd;
        l.response.Clear();
        l.piece = 0;
        l.offset = 0;
    } else if (read.reason == 0) {
        read.reason = kReasonRequestCount;
    }
    return read;
}

long Vxi11Links::Clear(long link) {
    auto found = links_.find(link);
    if (found == links_.end()) {
        return kInvalidLink;
    }
    const int owner = found->second->owner;
    found->second =
        std::make_unique<Link>(instrument_, commands_, inputBlocks_, outputBlocks_, owner);
    return kNoError;
}

long Vxi11Links::Destroy(long link) {
    return links_.erase(link) == 1 ? kNoError : kInvalidLink;
}

void Vxi11Links::DropLinksOf(int owner) {
    std::erase_if(links_, [owner](const auto& entry) { return entry.second->owner == owner; });
}
