#include "document/FmMode.h"

#include "core/HostBus.h"

std::string FmMode::FilterText(bool /*open*/) const {
    return "Binary   (*.wvf)|*.wvf|ASCII -space delimited (*.asf)|*.asf||";
}

int FmMode::ClosingNotify() const {
    return NotifyClosingFm;
}

std::optional<int> FmMode::CloseRequest() const {
    return HostCloseFm;
}

int FmMode::PlaceRequest() const {
    return HostPlaceFm;
}
