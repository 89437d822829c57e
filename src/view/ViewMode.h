#pragma once

#include "view/AxisLabels.h"
#include "view/ViewGeometry.h"

struct AppState;

// What differs between the waveform views of the standard editor and the FM editor: how
// the samples map to the vertical axis and how its labels read, the widest label the
// axis has to make room for, whether a value under the pointer reads as a frequency,
// whether the FM markers are drawn on the waveform, and the profile section the anchors
// are kept in. The view state takes it once (the mode never changes) and the view and
// its tools read it instead of testing the mode.
struct ViewMode {
    CodeEncoding encoding = CodeEncoding::Standard;
    AxisStyle axis = AxisStyle::Standard;
    const char* widestSampleLabel = "23456";
    bool readsFrequency = false;
    bool showsFmMarkers = false;
    const char* anchorSection = "SmWav_Par";

    // The one place the view's mode is chosen.
    static ViewMode For(const AppState& state);
    static ViewMode Standard() { return {}; }
    // The FM editor's view; `samplesInHz` for the families whose samples are frequencies.
    static ViewMode Fm(bool samplesInHz);
};
