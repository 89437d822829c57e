#include "ByteBudget.h"

bool ByteBudget::TryTake(std::uint64_t bytes) {
    std::scoped_lock lock(mutex_);
    if (bytes > capacity_ - taken_) {
        return false;
    }
    taken_ += bytes;
    return true;
}

void ByteBudget::Give(std::uint64_t bytes) {
    std::scoped_lock lock(mutex_);
    taken_ -= bytes < taken_ ? bytes : taken_;
}

std::uint64_t ByteBudget::Taken() const {
    std::scoped_lock lock(mutex_);
    return taken_;
}
