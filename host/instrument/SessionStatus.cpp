#include "SessionStatus.h"

#include <utility>

namespace {

std::uint8_t EventBitOf(int code) {
    if (code <= -100 && code > -200) {
        return SessionStatus::kCommandError;
    }
    if (code <= -200 && code > -300) {
        return SessionStatus::kExecutionError;
    }
    if (code <= -300 && code > -400) {
        return SessionStatus::kDeviceError;
    }
    if (code <= -400 && code > -500) {
        return SessionStatus::kQueryError;
    }
    return 0;
}

} // namespace

SessionStatus::SessionStatus() = default;

void SessionStatus::Report(ScpiError error) {
    events_ |= EventBitOf(error.code);
    errors_.Push(std::move(error));
}

std::uint8_t SessionStatus::TakeEventRegister() {
    const std::uint8_t value = events_;
    events_ = 0;
    return value;
}

std::uint8_t SessionStatus::StatusByte() const {
    std::uint8_t status = 0;
    if (!errors_.Empty()) {
        status |= kErrorAvailable;
    }
    if ((events_ & eventEnable_) != 0) {
        status |= kEventSummary;
    }
    if ((status & serviceEnable_ & ~kMasterSummary) != 0) {
        status |= kMasterSummary;
    }
    return status;
}

void SessionStatus::Clear() {
    errors_.Clear();
    events_ = 0;
}
