#include "view/ViewMode.h"

#include "core/AppState.h"

ViewMode ViewMode::For(const AppState& state) {
    return state.mode == OperatingMode::Fm ? Fm(state.wideFmSamples) : Standard();
}

ViewMode ViewMode::Fm(bool samplesInHz) {
    ViewMode mode;
    mode.encoding = samplesInHz ? CodeEncoding::FmHz : CodeEncoding::FmCodes;
    mode.axis = AxisStyle::Fm;
    mode.widestSampleLabel = "2.2345678";
    mode.readsFrequency = true;
    mode.showsFmMarkers = true;
    mode.anchorSection = "FmsWav_Par";
    return mode;
}
