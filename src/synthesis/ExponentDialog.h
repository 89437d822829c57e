#pragma once

#include "synthesis/WaveParamDialog.h"

// Exponent: a rising (positive time constant) or decaying (negative) exponential per cycle,
// cut at the level range; the check box turns it upside down.
class ExponentDialog : public WaveParamDialog {
public:
    static constexpr int kTemplateId = 173;
    static constexpr const char* kSectionName = "ArbExp";

    explicit ExponentDialog(WaveDoc& document)
        : WaveParamDialog(document, kTemplateId, kSectionName) {}

    bool Generate(const ProgressCallback& progress) override;
};
