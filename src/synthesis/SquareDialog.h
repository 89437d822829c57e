#pragma once

#include "synthesis/WaveParamDialog.h"

// Square: Max for the high share (duty) of each cycle, Min for the rest.
class SquareDialog : public WaveParamDialog {
public:
    static constexpr int kTemplateId = 175;
    static constexpr const char* kSectionName = "ArbSqu";

    explicit SquareDialog(WaveDoc& document)
        : WaveParamDialog(document, kTemplateId, kSectionName) {}

    bool Generate(const ProgressCallback& progress) override;
};
