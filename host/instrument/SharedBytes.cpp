#include "SharedBytes.h"

#include <utility>

SharedBytes::SharedBytes(std::shared_ptr<const std::string> owner, std::string_view bytes)
    : owner_(std::move(owner)), view_(bytes) {}

SharedBytes SharedBytes::Copy(std::string_view bytes) {
    auto owner = std::make_shared<const std::string>(bytes);
    const std::string_view view(*owner);
    return SharedBytes(std::move(owner), view);
}

SharedBytes SharedBytes::Zeros(std::size_t count) {
    auto owner = std::make_shared<const std::string>(count, '\0');
    const std::string_view view(*owner);
    return SharedBytes(std::move(owner), view);
}

SharedBytes SharedBytes::ShareOrCopy(const std::shared_ptr<const std::string>& owner,
                                     std::string_view bytes) {
    if (owner && bytes.size() * 2 >= owner->capacity()) {
        return SharedBytes(owner, bytes);
    }
    return Copy(bytes);
}
