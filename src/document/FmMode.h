#pragma once

#include "document/DocumentMode.h"

// The FM editor: one pseudo-segment of 32-bit codes over the deviation's frequency
// window, its own file types and undo file, markers handed to the host in a file, and
// its own closing and placing codes.
class FmMode : public DocumentMode {
public:
    FmMode() : DocumentMode(OperatingMode::Fm) {}

    Download DownloadKind() const override { return Download::FmWaveform; }
    SampleKind Kind() const override { return SampleKind::Code32; }
    std::vector<std::string> Extensions() const override { return {"wvf", "asf"}; }
    std::string FilterText(bool open) const override;
    bool ImportsColumnsAndTraces() const override { return false; }
    std::optional<int> PseudoSegment() const override { return -1; }
    bool SegmentFieldShowsDeviation() const override { return true; }
    const char* UndoFileName() const override { return "UndoFS.wvf"; }

    int ClosingNotify() const override;
    std::optional<int> CloseRequest() const override;
    int PlaceRequest() const override;
    bool HasMarkerFile() const override { return true; }
    bool SendsDeviationCommand() const override { return true; }
};
