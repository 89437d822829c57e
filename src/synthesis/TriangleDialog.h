#pragma once

#include "synthesis/WaveParamDialog.h"

// Triangle: 0 -> 1 -> -1 -> 0 per cycle, the rise share setting where the peaks lie; raised
// to the power.
class TriangleDialog : public WaveParamDialog {
public:
    static constexpr int kTemplateId = 174;
    static constexpr const char* kSectionName = "ArbTri";

    explicit TriangleDialog(WaveDoc& document)
        : WaveParamDialog(document, kTemplateId, kSectionName) {}

    bool Generate(const ProgressCallback& progress) override;
};
