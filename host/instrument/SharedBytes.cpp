#include "SharedBytes.h"

#include <utility>

SharedBytes::SharedBytes(std::shared_ptr<const MessageBuffer> owner, std::string_view bytes)
    : owner_(std::move(owner)), view_(bytes) {}

SharedBytes SharedBytes::Copy(std::string_view bytes) {
    auto owner = std::make_shared<const MessageBuffer>(bytes);
    const std::string_view view = owner->View();
    return SharedBytes(std::move(owner), view);
}

SharedBytes SharedBytes::Zeros(std::size_t count) {
    std::shared_ptr<const MessageBuffer> owner = MessageBuffer::Zeros(count);
    const std::string_view view = owner->View();
    return SharedBytes(std::move(owner), view);
}

SharedBytes SharedBytes::ShareOrCopy(const std::shared_ptr<const MessageBuffer>& owner,
                                     std::string_view bytes) {
    if (owner && bytes.size() * 2 >= owner->Capacity()) {
        return SharedBytes(owner, bytes);
    }
    return Copy(bytes);
}
