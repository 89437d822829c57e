#pragma once

#include "synthesis/WaveParamDialog.h"

// Sinc: one sin(x)/x pulse per cycle, centred in the cycle, with the given zero crossings.
class SincDialog : public WaveParamDialog {
public:
    static constexpr int kTemplateId = 175;
    static constexpr const char* kSectionName = "ArbSinc";

    explicit SincDialog(WaveDoc& document) : WaveParamDialog(document, kTemplateId, kSectionName) {}

    bool Generate(const ProgressCallback& progress) override;
};
