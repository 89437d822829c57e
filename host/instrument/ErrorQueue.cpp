#include "ErrorQueue.h"

#include <utility>

ErrorQueue::ErrorQueue(std::size_t capacity) : capacity_(capacity < 2 ? 2 : capacity) {}

void ErrorQueue::Push(ScpiError error) {
    if (entries_.size() < capacity_) {
        entries_.push_back(std::move(error));
        return;
    }
    if (entries_.back().code != scpi_errors::kQueueOverflow) {
        entries_.back() = ScpiError(scpi_errors::kQueueOverflow);
    }
}

ScpiError ErrorQueue::Pop() {
    if (entries_.empty()) {
        return ScpiError(scpi_errors::kNoError);
    }
    ScpiError front = std::move(entries_.front());
    entries_.pop_front();
    return front;
}
