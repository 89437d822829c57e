#pragma once

#include <cstdint>
#include <mutex>

// A fixed amount of memory that all connections draw from, for what one connection could
// otherwise grow without end: the blocks of messages still arriving and answers the
// client has not taken yet. A connection that finds it spent is refused with an error
// rather than made to wait, so a stalled client can never hold up another.
class ByteBudget {
public:
    explicit ByteBudget(std::uint64_t capacity) : capacity_(capacity) {}
    ByteBudget(const ByteBudget&) = delete;
    ByteBudget& operator=(const ByteBudget&) = delete;

    // All of `bytes` or nothing.
    bool TryTake(std::uint64_t bytes);
    void Give(std::uint64_t bytes);
    std::uint64_t Capacity() const { return capacity_; }
    std::uint64_t Taken() const;

private:
    const std::uint64_t capacity_;
    mutable std::mutex mutex_;
    std::uint64_t taken_ = 0;
};
