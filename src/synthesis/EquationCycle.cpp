#include "synthesis/EquationCycle.h"

#include <algorithm>

EquationCycle::EquationCycle(std::size_t length, long long rangeLength, long long block, bool kept,
                             Evaluate evaluate)
    : length_(length), rangeLength_(rangeLength), block_(block), kept_(kept),
      evaluate_(std::move(evaluate)) {
    if (kept_) {
        values_.reserve(length_);
    }
}

void EquationCycle::Offer(long long from, const std::vector<double>& values) {
    if (!kept_ || from != static_cast<long long>(values_.size())) {
        return;
    }
    const std::size_t wanted = length_ - std::min(length_, values_.size());
    values_.insert(values_.end(), values.begin(),
                   values.begin() + static_cast<long>(std::min(wanted, values.size())));
}

double EquationCycle::At(std::size_t offset) {
    if (kept_) {
        return values_[offset];
    }
    const auto position = static_cast<long long>(offset);
    if (blockStart_ < 0 || position < blockStart_ ||
        position >= blockStart_ + static_cast<long long>(values_.size())) {
        blockStart_ = position / block_ * block_;
        values_ = evaluate_(blockStart_, std::min(rangeLength_, blockStart_ + block_) - 1);
    }
    return values_[static_cast<std::size_t>(position - blockStart_)];
}
