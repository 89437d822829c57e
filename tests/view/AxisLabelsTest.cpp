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

// Zoomed in to a few points (or a few codes), the number formats would write one number at
// several ticks; each number is shown once, at the tick whose value it states best.
TEST(AxisLabelTexts, DeepZoomShowsEachNumberOnce) {
    struct Case {
        AxisStyle style;
        double xmin, xmax, vmin, vmax;
        std::vector<std::string> horizontal, vertical;
    };
    const std::vector<std::string> fullScale{"-8192", "-4096", "0", "4095", "8191"};
    const Case cases[] = {
        {AxisStyle::Standard, 100, 101, -8192, 8191, {"100", "", "", "", "101"}, fullScale},
        {AxisStyle::Standard, 100, 102, -8192, 8191, {"100", "", "101", "", "102"}, fullScale},
        {AxisStyle::Standard, 0, 4, 10, 12, {"0", "1", "2", "3", "4"}, {"10", "", "11", "", "12"}},
        // Six significant digits: every tick of 1000000 .. 1000004 reads "1e6".
        {AxisStyle::Standard, 1000000, 1000004, -8192, 8191, {"1e6", "", "", "", ""}, fullScale},
        // FM points are rounded (0, 0, 1, 1, 1); 105 MHz and 110 MHz both read "1.1e8".
        {AxisStyle::Fm,
         0,
         1,
         90e6,
         110e6,
         {"0", "", "", "", "1"},
         {"9.0e7", "9.5e7", "1.0e8", "", "1.1e8"}},
    };
    for (const Case& each : cases) {
        ViewGeometry geometry;
        geometry.SetRanges(each.xmin, each.xmax, each.vmin, each.vmax);
        geometry.ComputeMappings(PixelRect{40, 45, 758, 570});
        const AxisLabels labels = AxisLabels::Compute(geometry, each.style);
        EXPECT_EQ(Texts(labels.horizontal), each.horizontal) << each.xmin << ".." << each.xmax;
        EXPECT_EQ(Texts(labels.vertical), each.vertical) << each.vmin << ".." << each.vmax;
    }
}
