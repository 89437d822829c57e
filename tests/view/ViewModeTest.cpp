#include "view/ViewMode.h"
#include "core/AppState.h"

#include <gtest/gtest.h>

// The FM families whose samples are frequencies differ from the other FM ones only in the
// encoding.
TEST(ViewModeChoice, EachStateNamesEncodingFmDrawingAndAnchorSection) {
    const struct {
        OperatingMode mode;
        bool wideFm;
        CodeEncoding encoding;
        bool fm;
        const char* section;
    } cases[] = {
        {OperatingMode::Standard, false, CodeEncoding::Standard, false, "SmWav_Par"},
        {OperatingMode::Fm, false, CodeEncoding::FmCodes, true, "FmsWav_Par"},
        {OperatingMode::Fm, true, CodeEncoding::FmHz, true, "FmsWav_Par"},
    };
    for (const auto& c : cases) {
        AppState state;
        state.mode = c.mode;
        state.wideFmSamples = c.wideFm;
        const ViewMode mode = ViewMode::For(state);
        EXPECT_EQ(mode.encoding, c.encoding) << c.wideFm;
        EXPECT_EQ(mode.axis == AxisStyle::Fm, c.fm);
        EXPECT_TRUE(mode.readsFrequency == c.fm && mode.showsFmMarkers == c.fm);
        EXPECT_STREQ(mode.anchorSection, c.section) << c.wideFm;
    }
}
