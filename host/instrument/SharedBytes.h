#pragma once

#include "MessageBuffer.h"

#include <cstddef>
#include <memory>
#include <string_view>

// Read-only bytes that share ownership of the buffer they live in. A segment written with
// :TRAC:DATA keeps the very buffer its block arrived in rather than a copy, and a response
// being sent keeps the segment's bytes alive even if the segment is replaced meanwhile.
class SharedBytes {
public:
    SharedBytes() = default;
    // Views `bytes`, which must lie inside `*owner`.
    SharedBytes(std::shared_ptr<const MessageBuffer> owner, std::string_view bytes);

    static SharedBytes Copy(std::string_view bytes);
    static SharedBytes Zeros(std::size_t count);
    // Shares `owner` when the bytes are most of it, so that a small block never pins a
    // large message in memory; copies them otherwise.
    static SharedBytes ShareOrCopy(const std::shared_ptr<const MessageBuffer>& owner,
                                   std::string_view bytes);

    std::string_view View() const { return view_; }
    std::size_t Size() const { return view_.size(); }
    bool Empty() const { return view_.empty(); }
    // The memory these bytes keep alive: all of the buffer they live in.
    std::size_t Footprint() const { return owner_ ? owner_->Capacity() : 0; }

private:
    std::shared_ptr<const MessageBuffer> owner_;
    std::string_view view_;
};
