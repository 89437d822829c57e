#include "document/DocumentMode.h"

#include "core/HostBus.h"
#include "document/FmMode.h"
#include "document/PulseMode.h"
#include "document/StandardMode.h"
#include "document/WideFmMode.h"
#include "settings/TextFormat.h"

const DocumentMode& DocumentMode::For(OperatingMode mode, bool wideFm) {
    static const StandardMode standard;
    static const FmMode fm;
    static const WideFmMode wide;
    static const PulseMode pulse;
    switch (mode) {
    case OperatingMode::Fm:
        return wideFm ? static_cast<const DocumentMode&>(wide) : fm;
    case OperatingMode::Pulse:
        return pulse;
    default:
        return standard;
    }
}

std::string DocumentMode::WindowTitle(const std::string& currentPath) const {
    return std::string(Title()) + ShortenPath(currentPath);
}

int DocumentMode::ClosingNotify() const {
    return NotifyClosing;
}

std::optional<int> DocumentMode::CloseRequest() const {
    return HostCloseStandard;
}

int DocumentMode::PlaceRequest() const {
    return HostPlaceStandard;
}
