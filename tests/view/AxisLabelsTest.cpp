#include "view/AxisLabels.h"
#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> Texts(const std::array<AxisLabel, 5>& labels) {
    std::vector<std::string> texts;
    for (const AxisLabel& label : labels) {
        texts.push_back(label.text);
    }
    return texts;
}

} // namespace

// Zoomed in to a few points, the truncating formats would write one number at several ticks;
// each number is shown once, at the first tick that has it.
TEST(AxisLabelTexts, DeepZoomShowsEachNumberOnce) {
    struct Case {
        AxisStyle style;
        double xmin, xmax;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {AxisStyle::Standard, 100, 101, {"100", "", "", "", "101"}},
        {AxisStyle::Standard, 100, 102, {"100", "", "101", "", "102"}},
        {AxisStyle::Standard, 0, 4, {"0", "1", "2", "3", "4"}},
        // Six significant digits: every tick of 1000000 .. 1000004 reads "1e6".
        {AxisStyle::Standard, 1000000, 1000004, {"1e6", "", "", "", ""}},
        // FM points round up by half a point: 0.5, 0.75, 1, 1.25, 1.5.
        {AxisStyle::Fm, 0, 1, {"0", "", "1", "", ""}},
    };
    for (const Case& each : cases) {
        ViewGeometry geometry;
        geometry.SetRanges(each.xmin, each.xmax, -8192, 8191);
        geometry.ComputeMappings(PixelRect{40, 45, 758, 570});
        const AxisLabels labels = AxisLabels::Compute(geometry, each.style);
        EXPECT_EQ(Texts(labels.horizontal), each.expected) << each.xmin << ".." << each.xmax;
    }
}

TEST(AxisLabelTexts, ANarrowVerticalRangeShowsEachLevelOnce) {
    ViewGeometry geometry;
    geometry.SetRanges(0, 999, 10, 12);
    geometry.ComputeMappings(PixelRect{40, 45, 758, 570});
    const AxisLabels labels = AxisLabels::Compute(geometry, AxisStyle::Standard);
    EXPECT_EQ(Texts(labels.vertical), (std::vector<std::string>{"10", "", "11", "", "12"}));
}
