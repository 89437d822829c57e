#pragma once

#include "synthesis/WaveParamDialog.h"

// Sine: a sine of the given cycles and phase, raised to the power (of the signed value).
class SineDialog : public WaveParamDialog {
public:
    static constexpr int kTemplateId = 174;
    static constexpr const char* kSectionName = "ArbSine";

    explicit SineDialog(WaveDoc& document) : WaveParamDialog(document, kTemplateId, kSectionName) {}

    bool Generate(const ProgressCallback& progress) override;
};
