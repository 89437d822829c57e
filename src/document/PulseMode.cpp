#include "document/PulseMode.h"

#include "settings/NumberFormat.h"

std::string PulseMode::WindowTitle(const std::string& /*currentPath*/) const {
    return Title();
}

std::string PulseMode::DownloadCommandPrefix(double sampleClock) const {
    return ":FREQ:RAST " + CrtFormat("%g", sampleClock) + "; ";
}
