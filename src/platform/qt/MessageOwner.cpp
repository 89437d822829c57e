#include "platform/qt/MessageOwner.h"

namespace {

// Message boxes are shown on the user-interface thread only.
MessageOwner* innermost = nullptr;

} // namespace

MessageOwner::MessageOwner(QWidget* window) : window_(window), outer_(innermost) {
    innermost = this;
}

MessageOwner::~MessageOwner() {
    innermost = outer_;
}

QWidget* MessageOwner::Current() {
    for (const MessageOwner* owner = innermost; owner != nullptr; owner = owner->outer_) {
        if (!owner->window_.isNull()) {
            return owner->window_.data();
        }
    }
    return nullptr;
}
