#pragma once

#include "ScpiError.h"

#include <cstddef>
#include <deque>

// The SCPI error/event queue: first in, first out, bounded. When it is full the newest
// entry is replaced by -350 "Queue overflow" and later errors are lost until the client
// reads some, so a flood of bad input cannot grow the instrument's memory.
class ErrorQueue {
public:
    static constexpr std::size_t kDefaultCapacity = 32;

    explicit ErrorQueue(std::size_t capacity = kDefaultCapacity);

    void Push(ScpiError error);
    // The oldest entry, or 0,"No error" when the queue is empty.
    ScpiError Pop();
    std::size_t Count() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    void Clear() { entries_.clear(); }

private:
    std::size_t capacity_;
    std::deque<ScpiError> entries_;
};
