#include "MessageBuffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

// From this size on, buffers are mapped directly rather than taken from the heap.
constexpr std::size_t kMapThreshold = 1 << 20;
// Mapped lengths are whole huge pages, so that the kernel can place them on huge-page
// boundaries and back them with huge pages.
constexpr std::size_t kHugePageSize = 2 << 20;
constexpr std::size_t kMinCapacity = 64;

struct Mapping {
    char* address = nullptr;
    std::size_t length = 0;
};

std::size_t RoundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

Mapping MapFresh(std::size_t length, bool hugePages) {
    void* address =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) {
        throw std::bad_alloc();
    }
#ifdef MADV_HUGEPAGE
    // Only advice: where huge pages are off, the buffer works the same.
    if (hugePages) {
        ::madvise(address, length, MADV_HUGEPAGE);
    }
#endif
    return {static_cast<char*>(address), length};
}

// Mappings of released buffers, shared by all connections: buffers are released by
// whichever thread drops the last reference.
class KeptMappings {
public:
    // The smallest kept mapping of at least `length` bytes, if any.
    Mapping Take(std::size_t length) {
        std::scoped_lock lock(mutex_);
        auto best = kept_.end();
        for (auto it = kept_.begin(); it != kept_.end(); ++it) {
            if (it->length >= length && (best == kept_.end() || it->length < best->length)) {
                best = it;
            }
        }
        if (best == kept_.end()) {
            return {};
        }
        const Mapping taken = *best;
        kept_.erase(best);
        return taken;
    }

    // False when enough are kept already; the caller unmaps it then.
    bool Keep(Mapping mapping) {
#ifdef MADV_FREE
        // The pages stay in place for the next block unless the system runs short first.
        ::madvise(mapping.address, mapping.length, MADV_FREE);
#endif
        std::scoped_lock lock(mutex_);
        if (kept_.size() >= MessageBuffer::kMaxKeptBuffers) {
            return false;
        }
        kept_.push_back(mapping);
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<Mapping> kept_;
};

KeptMappings& Kept() {
    // Never destroyed: buffers may be released while the process exits.
    static KeptMappings* kept = new KeptMappings;
    return *kept;
}

// A kept mapping longer than asked for is cut to length: its pages may still be resident,
// and a buffer must never hold more memory than its capacity says.
Mapping MapForWriting(std::size_t length) {
    Mapping kept = Kept().Take(length);
    if (kept.address == nullptr) {
        return MapFresh(length, true);
    }
    if (kept.length > length) {
        ::munmap(kept.address + length, kept.length - length);
        kept.length = length;
    }
    return kept;
}

} // namespace

MessageBuffer::MessageBuffer(std::string_view bytes) {
    Append(bytes);
}

MessageBuffer::~MessageBuffer() {
    Release();
}

std::shared_ptr<const MessageBuffer> MessageBuffer::Zeros(std::size_t count) {
    auto zeros = std::make_shared<MessageBuffer>();
    zeros->reusable_ = false;
    if (count < kMapThreshold) {
        zeros->Reserve(count);
        if (count > 0) {
            std::memset(zeros->data_, 0, count);
        }
    } else {
        // A fresh mapping reads as zeros without a page of its own.
        const Mapping mapping = MapFresh(RoundUp(count, kHugePageSize), false);
        zeros->data_ = mapping.address;
        zeros->capacity_ = mapping.length;
        zeros->mappedLength_ = mapping.length;
    }
    zeros->size_ = count;
    return zeros;
}

std::size_t MessageBuffer::StorageFor(std::size_t capacity) {
    return capacity < kMapThreshold ? capacity : RoundUp(capacity, kHugePageSize);
}

void MessageBuffer::Reserve(std::size_t capacity) {
    if (capacity <= capacity_) {
        return;
    }
    if (capacity < kMapThreshold) {
        void* grown = std::realloc(data_, capacity);
        if (grown == nullptr) {
            throw std::bad_alloc();
        }
        data_ = static_cast<char*>(grown);
        capacity_ = capacity;
        return;
    }
    const std::size_t rounded = StorageFor(capacity);
    const Mapping mapping = MapForWriting(rounded);
    if (size_ > 0) {
        std::memcpy(mapping.address, data_, size_);
    }
    Release();
    data_ = mapping.address;
    capacity_ = rounded;
    mappedLength_ = mapping.length;
}

void MessageBuffer::Append(std::string_view bytes) {
    if (bytes.size() > capacity_ - size_) {
        Reserve(std::max(size_ + bytes.size(), 2 * capacity_));
    }
    if (!bytes.empty()) {
        std::memcpy(data_ + size_, bytes.data(), bytes.size());
    }
    size_ += bytes.size();
}

void MessageBuffer::PushBack(char c) {
    if (size_ == capacity_) {
        Reserve(std::max(kMinCapacity, 2 * capacity_));
    }
    data_[size_++] = c;
}

void MessageBuffer::Release() {
    if (mappedLength_ == 0) {
        std::free(data_);
        return;
    }
    const Mapping mapping{data_, mappedLength_};
    if (!reusable_ || !Kept().Keep(mapping)) {
        ::munmap(mapping.address, mapping.length);
    }
}
