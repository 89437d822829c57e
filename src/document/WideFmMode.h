#pragma once

#include "document/FmMode.h"

// The FM editor of a wide-FM family: the samples are frequencies in Hz (64-bit), the
// window follows them, the files are ".wfm"/".afm", and the instrument has neither a
// marker file nor a deviation command.
class WideFmMode : public FmMode {
public:
    SampleKind Kind() const override { return SampleKind::Hz64; }
    std::vector<std::string> Extensions() const override { return {"wfm", "afm"}; }
    std::string FilterText(bool open) const override;
    std::optional<int> PseudoSegment() const override { return -2; }
    bool SamplesInHz() const override { return true; }
    bool SegmentFieldShowsDeviation() const override { return false; }
    bool HasMarkerFile() const override { return false; }
    bool SendsDeviationCommand() const override { return false; }
};
