#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

// The bytes of one program message as they arrive from a client. Capacity is reserved
// without being written, so a block's buffer can be sized from its header and the socket
// read straight into it, and a client that announces a block and stalls holds address
// space rather than memory.
//
// Large buffers are mappings of their own. Such a buffer usually ends up as a segment,
// and when the segment is replaced its mapping is kept for the next large block (a few at
// most, and marked so that the kernel may take their pages back when memory is short):
// filling fresh pages costs the kernel a page fault and zeroing per page, which for a
// full-memory segment is more than the transfer itself.
class MessageBuffer {
public:
    // Released large buffers kept for reuse: enough for the segment of one download while
    // the previous one is being replaced, and for two clients downloading at once.
    static constexpr std::size_t kMaxKeptBuffers = 2;

    MessageBuffer() = default;
    explicit MessageBuffer(std::string_view bytes);
    ~MessageBuffer();
    MessageBuffer(const MessageBuffer&) = delete;
    MessageBuffer& operator=(const MessageBuffer&) = delete;

    // `count` zero bytes; a large one costs no memory until something reads or writes it.
    static std::shared_ptr<const MessageBuffer> Zeros(std::size_t count);

    std::string_view View() const { return {data_, size_}; }
    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }
    bool Empty() const { return size_ == 0; }

    // The memory that reserving `capacity` takes: large buffers are whole huge pages.
    static std::size_t StorageFor(std::size_t capacity);

    // Keeps the contents; the room added is not initialised.
    void Reserve(std::size_t capacity);
    void Append(std::string_view bytes);
    void PushBack(char c);
    void PopBack() { --size_; }
    // Keeps the capacity.
    void Clear() { size_ = 0; }

    // The reserved room after the contents, to be written in place (by recv) and then
    // taken in with Commit.
    std::span<char> Spare() { return {data_ + size_, capacity_ - size_}; }
    void Commit(std::size_t count) { size_ += count; }

private:
    // Frees the storage and nothing else.
    void Release();

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t mappedLength_ = 0; // 0: heap storage
    bool reusable_ = true;         // false for Zeros, whose pages were never written
};
