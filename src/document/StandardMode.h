#pragma once

#include "document/DocumentMode.h"

// The standard editor: 16-bit codes of the active segment of the active channel, every
// text format, lengths bound by the family's resolution.
class StandardMode : public DocumentMode {
public:
    StandardMode() : DocumentMode(OperatingMode::Standard) {}

    Download DownloadKind() const override { return Download::Segment; }
    SampleKind Kind() const override { return SampleKind::Code16; }
    std::vector<std::string> Extensions() const override;
    std::string FilterText(bool open) const override;
    bool BindsLengthToResolution() const override { return true; }

protected:
    explicit StandardMode(OperatingMode start) : DocumentMode(start) {}
};
