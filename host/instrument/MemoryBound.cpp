#include "MemoryBound.h"

#include "ErrorQueue.h"
#include "MessageBuffer.h"
#include "ProgramMessageReader.h"
#include "ResponseBuffer.h"
#include "ScpiArgument.h"

namespace {

constexpr std::uint64_t kMiB = 1 << 20;
constexpr std::uint64_t kBase = 16 * kMiB;
// Session, reader, status registers, socket bookkeeping and allocator headers.
constexpr std::uint64_t kConnectionBookkeeping = 16 * 1024;
// Per error: the entry, its detail and the allocator's header.
constexpr std::uint64_t kErrorEntryOverhead = sizeof(ScpiError) + 1 + 32;
// A stored block keeps alive at most twice its size: a block shares its message's buffer
// only when it is at least half of it, and huge-page rounding never doubles a buffer.
constexpr std::uint64_t kStoredBlockFactor = 2;
// Per segment and per sequence step: map node, shared owner and allocator headers.
constexpr std::uint64_t kSegmentBookkeeping = 256;
constexpr std::uint64_t kStepBookkeeping = 64;
// The largest answer being built and copied into the response (about 700 kB), and the
// parser's copies of the message's strings.
constexpr std::uint64_t kAnswerBeingBuilt = 4 * kMiB;

std::uint64_t StoredBytesPerChannel(const ChannelState& channel) {
    return channel.MemoryPoints() * ChannelState::kBytesPerPoint +
           channel.MaxFmPoints() * ChannelState::kBytesPerFmPoint;
}

} // namespace

MemoryBound MemoryBound::For(const ScpiServer::Options& options) {
    const InstrumentState instrument(options.memoryPoints);
    const std::uint64_t maxText = ProgramMessageReader::Limits{}.maxTextBytes;
    MemoryBound bound;
    bound.base = kBase;
    bound.perConnection =
        ScpiServer::kThreadStackBytes + ScpiServer::kReceiveBufferBytes + maxText +
        ResponseBuffer::kOwnBytes + kConnectionBookkeeping +
        ErrorQueue::kDefaultCapacity * (ScpiError::kMaxDetailLength + kErrorEntryOverhead);
    bound.connections = options.maxClients * bound.perConnection;
    bound.blockBudgets = 2 * ScpiServer::BlockBudgetBytes(options.memoryPoints);
    bound.keptBuffers = MessageBuffer::kMaxKeptBuffers *
                        MessageBuffer::StorageFor(instrument.MaxMessageBlockBytes() + 2 * maxText);
    bound.instrument = InstrumentState::kChannelCount *
                       (kStoredBlockFactor * StoredBytesPerChannel(instrument.Channel(1)) +
                        ChannelState::kMaxSegmentNumber * kSegmentBookkeeping +
                        ChannelState::kMaxSequenceStep * kStepBookkeeping);
    // A parameter for every two characters of the message, in a vector with as much room
    // again; and an expanded sequence being built, at most a full-memory segment's bytes.
    bound.execution = maxText * sizeof(ScpiArgument) + kAnswerBeingBuilt +
                      options.memoryPoints * ChannelState::kBytesPerPoint;
    return bound;
}

std::uint64_t MemoryBound::Total() const {
    return base + connections + blockBudgets + keptBuffers + instrument + execution;
}
