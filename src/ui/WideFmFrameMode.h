#pragma once

#include "ui/FmFrameMode.h"

// The FM editor of a family whose samples are frequencies in Hz: the deviation field
// shows the span of the samples each time the window is recomputed from them.
class WideFmFrameMode : public FmFrameMode {
public:
    bool ShowsSampleDeviation() const override { return true; }
};
