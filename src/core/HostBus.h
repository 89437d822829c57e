#pragma once

#include <cstdint>
#include <functional>

// The two registered messages exchanged with the host program.
inline constexpr const char* kToolNotifyMessageName = "A56ACA13-30D7-435a-956B-ADC3387CBB1F";
inline constexpr const char* kHostCommandMessageName = "F4E30E5C-73A0-4016-BB19-BB6EB587226A";

// Notification codes the tool posts (ToolNotifyMessage).
enum NotifyCode : int {
    NotifyDeactivated = 0,
    NotifyCommand = 1,
    NotifyDownloadSegment = 2,
    NotifyClosing = 5,
    NotifyDownloadFm = 9,
    NotifyClosingFm = 12,
    NotifyDownloadSequence = 18,
};

// The notifications that carry waveforms to the instrument: a segment, an FM waveform, a
// pulse sequence.
constexpr bool IsDownloadNotice(int code) {
    return code == NotifyDownloadSegment || code == NotifyDownloadFm ||
           code == NotifyDownloadSequence;
}

// Request codes the host sends (HostCommandMessage).
enum HostRequestCode : int {
    HostCloseStandard = 3,
    HostReload = 4,
    HostPlaceStandard = 6,
    HostTile = 7,
    HostCloseFm = 10,
    HostPlaceFm = 13,
};

// Fire-and-forget carrier to the host: posting never waits and never fails loudly.
class HostBus {
public:
    using RequestHandler = std::function<void(std::uint32_t code, std::int64_t data)>;

    virtual ~HostBus() = default;
    virtual void PostToolNotify(int code) = 0;
    // Requests from the host arrive on the user-interface thread through this handler.
    virtual void SetRequestHandler(RequestHandler handler) = 0;
};
