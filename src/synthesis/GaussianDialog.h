#pragma once

#include "synthesis/WaveParamDialog.h"

// Gaussian: one bell per cycle, centred in the cycle, of the given width in points.
class GaussianDialog : public WaveParamDialog {
public:
    static constexpr int kTemplateId = 175;
    static constexpr const char* kSectionName = "ArbGaus";

    explicit GaussianDialog(WaveDoc& document)
        : WaveParamDialog(document, kTemplateId, kSectionName) {}

    bool Generate(const ProgressCallback& progress) override;
};
