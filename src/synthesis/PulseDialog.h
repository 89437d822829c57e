#pragma once

#include "synthesis/WaveParamDialog.h"

// Pulse: delay, rise, high and fall, each a percentage of the cycle, at the levels Min and Max.
class PulseDialog : public WaveParamDialog {
public:
    static constexpr int kTemplateId = 172;
    static constexpr const char* kSectionName = "ArbPuls";

    explicit PulseDialog(WaveDoc& document)
        : WaveParamDialog(document, kTemplateId, kSectionName) {}

    bool Generate(const ProgressCallback& progress) override;
};
