#include "document/SampleBuffer.h"

#include <algorithm>
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

// (short)(int)v: the low 16 bits of the 32-bit conversion.
std::int16_t LowWord(double v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(TruncateLikeX86(v)));
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

void SampleBuffer::Free() {
    codes16_.reset();
    codes32_.reset();
    values64_.reset();
    size_ = 0;
}

void SampleBuffer::AllocateUninitialized(std::size_t n) {
    Free();
    switch (kind_) {
    case SampleKind::Code32:
        codes32_.reset(new std::int32_t[n]);
        break;
    case SampleKind::Hz64:
        values64_.reset(new double[n]);
        break;
    default:
        codes16_.reset(new std::int16_t[n]);
        break;
    }
    size_ = n;
}

void SampleBuffer::Assign(std::size_t n, double neutral) {
    AllocateUninitialized(n);
    switch (kind_) {
    case SampleKind::Code32:
        std::fill_n(codes32_.get(), n, TruncateLikeX86(neutral));
        break;
    case SampleKind::Hz64:
        std::fill_n(values64_.get(), n, neutral);
        break;
    default:
        std::fill_n(codes16_.get(), n, LowWord(neutral));
        break;
    }
}

void SampleBuffer::AssignBytes(std::size_t n, const void* bytes) {
    AllocateUninitialized(n);
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
        codes16_[i] = LowWord(v);
        break;
    }
}

const void* SampleBuffer::Bytes() const {
    switch (kind_) {
    case SampleKind::Code32:
        return codes32_.get();
    case SampleKind::Hz64:
        return values64_.get();
    default:
        return codes16_.get();
    }
}

void* SampleBuffer::Bytes() {
    return const_cast<void*>(static_cast<const SampleBuffer*>(this)->Bytes());
}
