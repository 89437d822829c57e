#include "document/SampleBuffer.h"

#include <climits>
#include <cstring>

namespace {

// The original platform's (int) conversion of a double: truncation toward zero, and the
// processor's "integer indefinite" value for NaN and numbers outside the 32-bit range.
std::int32_t TruncateLikeX86(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(v);
}

} // namespace

int ElementWidth(SampleKind kind) {
    switch (kind) {
    case SampleKind::Code32:
        return 4;
    case SampleKind::Hz64:
        return 8;
    default:
        return 2;
    }
}

std::size_t SampleBuffer::Size() const {
    switch (kind_) {
    case SampleKind::Code32:
        return codes32_.size();
    case SampleKind::Hz64:
        return values64_.size();
    default:
        return codes16_.size();
    }
}

void SampleBuffer::Assign(std::size_t n, double neutral) {
    // Freeing first keeps the peak at one array, as the rules require of a replacement.
    codes16_ = {};
    codes32_ = {};
    values64_ = {};
    switch (kind_) {
    case SampleKind::Code32:
        codes32_.assign(n, TruncateLikeX86(neutral));
        break;
    case SampleKind::Hz64:
        values64_.assign(n, neutral);
        break;
    default:
        codes16_.assign(n, static_cast<std::int16_t>(static_cast<std::uint16_t>(TruncateLikeX86(neutral))));
        break;
    }
}

void SampleBuffer::AssignBytes(std::size_t n, const void* bytes) {
    codes16_ = {};
    codes32_ = {};
    values64_ = {};
    switch (kind_) {
    case SampleKind::Code32:
        codes32_.resize(n);
        break;
    case SampleKind::Hz64:
        values64_.resize(n);
        break;
    default:
        codes16_.resize(n);
        break;
    }
    if (n > 0) {
        std::memcpy(Bytes(), bytes, ByteSize());
    }
}

double SampleBuffer::At(std::size_t i) const {
    switch (kind_) {
    case SampleKind::Code32:
        return codes32_[i];
    case SampleKind::Hz64:
        return values64_[i];
    default:
        return codes16_[i];
    }
}

void SampleBuffer::Store(std::size_t i, double v) {
    switch (kind_) {
    case SampleKind::Code32:
        codes32_[i] = TruncateLikeX86(v);
        break;
    case SampleKind::Hz64:
        values64_[i] = v;
        break;
    default:
        // (short)(int)v: the low 16 bits of the 32-bit conversion.
        codes16_[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(TruncateLikeX86(v)));
        break;
    }
}

const void* SampleBuffer::Bytes() const {
    switch (kind_) {
    case SampleKind::Code32:
        return codes32_.data();
    case SampleKind::Hz64:
        return values64_.data();
    default:
        return codes16_.data();
    }
}

void* SampleBuffer::Bytes() {
    return const_cast<void*>(static_cast<const SampleBuffer*>(this)->Bytes());
}
