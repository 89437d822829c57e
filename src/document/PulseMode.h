#pragma once

#include "document/StandardMode.h"

// The pulse designer, as the document sees it: the standard editor's samples and files,
// but the waveform is rendered from the design, the title names no file, the download
// renders first and the host cannot close it.
class PulseMode : public StandardMode {
public:
    PulseMode() : StandardMode(OperatingMode::Pulse) {}

    Download DownloadKind() const override { return Download::PulseDesign; }
    std::string WindowTitle(const std::string& currentPath) const override;
    bool RendersFromDesign() const override { return true; }
    bool BindsLengthToResolution() const override { return false; }
    std::optional<int> CloseRequest() const override { return std::nullopt; }
    std::string DownloadCommandPrefix(double sampleClock) const override;
};
