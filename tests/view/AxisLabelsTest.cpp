#include "view/AxisLabels.h"
#include "support/MappedGeometry.h"
#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const PixelRect kPlot{40, 45, 758, 570};

std::vector<std::string> Texts(const std::array<AxisLabel, 5>& labels) {
    std::vector<std::string> texts;
    for (const AxisLabel& label : labels) {
        texts.push_back(label.text);
    }
    return texts;
}

AxisLabels LabelsOf(double xmin, double xmax, double vmin, double vmax, AxisStyle style,
                    const std::string& timeUnit = "sec") {
    return AxisLabels::Compute(MappedGeometry(kPlot, xmin, xmax, vmin, vmax), style, timeUnit);
}

} // namespace

// Four divisions of truncated whole numbers (-8192 .. 8191 in steps of 4095.75: the middle
// -0.5 truncates to 0). Zoomed in to a few points (or a few codes), the number formats
// would write one number at several ticks; each number is shown once, at the tick whose
// value it states best.
TEST(AxisLabelTexts, EachNumberIsShownOnceAtItsTick) {
    struct Case {
        AxisStyle style;
        double xmin, xmax, vmin, vmax;
        std::vector<std::string> horizontal, vertical;
    };
    const std::vector<std::string> fullScale{"-8192", "-4096", "0", "4095", "8191"};
    const std::vector<std::string> fullLength{"0", "4e6", "8e6", "1.2e7", "1.6e7"};
    const Case cases[] = {
        {AxisStyle::Standard, 0, 16000000, -8192, 8191, fullLength, fullScale},
        {AxisStyle::Standard, 100, 101, -8192, 8191, {"100", "", "", "", "101"}, fullScale},
        {AxisStyle::Standard, 100, 102, -8192, 8191, {"100", "", "101", "", "102"}, fullScale},
        {AxisStyle::Standard, 0, 4, 10, 12, {"0", "1", "2", "3", "4"}, {"10", "", "11", "", "12"}},
        // Six significant digits: every tick of 1000000 .. 1000004 reads "1e6".
        {AxisStyle::Standard, 1000000, 1000004, -8192, 8191, {"1e6", "", "", "", ""}, fullScale},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(&each - cases);
        const AxisLabels labels = LabelsOf(each.xmin, each.xmax, each.vmin, each.vmax, each.style);
        EXPECT_EQ(Texts(labels.horizontal), each.horizontal);
        EXPECT_EQ(Texts(labels.vertical), each.vertical);
        EXPECT_EQ(labels.horizontal[0].pixel, kPlot.left);
        EXPECT_EQ(labels.horizontal[4].pixel, kPlot.right);
        EXPECT_EQ(labels.vertical[4].pixel, kPlot.top);
        EXPECT_EQ(labels.horizontalUnit, "Points");
        EXPECT_EQ(labels.verticalUnit, "Points");
    }
}

// The FM view labels every grid line. Points are rounded (249.75 + 0.5), repeated at a deep
// zoom; a frequency whose digits would state a neighbour's value as well (1.05e9 beside
// 1.1e9: "1.1e9") takes more digits, one at a time, until it states its own.
TEST(AxisLabelTexts, FmViewLabelsEveryGridLine) {
    using Five = std::vector<std::string>;
    EXPECT_EQ(Texts(LabelsOf(0, 1023, 0.9e9, 1.1e9, AxisStyle::Fm).vertical),
              (Five{"9.0e8", "9.5e8", "1.0e9", "1.05e9", "1.1e9"}));
    // A window of 2 Hz: ticks half a hertz apart, zoomed in to one point.
    const AxisLabels zoomed = LabelsOf(0, 1, 1e9 - 1, 1e9 + 1, AxisStyle::Fm);
    EXPECT_EQ(Texts(zoomed.vertical),
              (Five{"9.99999999e8", "9.999999995e8", "1.0e9", "1.0000000005e9", "1.000000001e9"}));
    EXPECT_EQ(Texts(zoomed.horizontal), (Five{"0", "0", "1", "1", "1"}));
    EXPECT_EQ(zoomed.verticalUnit, "Hz");
}

TEST(AxisLabelTexts, FmFrequenciesKeepTheDigitsThatDiffer) {
    EXPECT_EQ(AxisLabels::FrequencyText(100e6), "1.0e8");
    EXPECT_EQ(AxisLabels::FrequencyText(99.5e6), "9.95e7");
    EXPECT_EQ(AxisLabels::FrequencyText(100.3e6), "1.00e8");
    EXPECT_EQ(AxisLabels::FrequencyText(123456789), "1.2345679e8");
}

TEST(AxisLabelTexts, PulseAxesUseTheCompactFormatAndTheEditorsTimeUnit) {
    const AxisLabels labels = LabelsOf(0, 4000, -1, 1, AxisStyle::Pulse, "msec");
    EXPECT_EQ(labels.horizontal[1].text, "1e3");
    EXPECT_EQ(labels.vertical[1].text, "-0.5");
    EXPECT_EQ(labels.horizontalUnit, "msec");
    EXPECT_EQ(labels.verticalUnit, "Volt");
}

// Texts of 60 pixels under ticks 100 pixels apart stand centred; at 50 pixels apart every
// second one is left out, at 25 all but the ends, at 12 all but the first. The ends stay 2
// pixels inside the bounds (10 .. 439); neighbours keep 6 pixels apart. Each case gives
// the texts shown (s) and the span from the first text's left to the last one's right.
TEST(AxisLabelPlacement, TextsThatWouldTouchAreThinnedAndTheEndsStayInside) {
    const std::vector<std::pair<int, std::string>> cases{
        {100, "sssss 12..438"}, {50, "s-s-s 12..250"}, {25, "s---s 12..150"}, {12, "s---- 12..72"}};
    for (const auto& [spacing, expected] : cases) {
        std::array<AxisLabel, 5> labels;
        for (int k = 0; k < 5; ++k) {
            labels[k] = {0.0, 20 + k * spacing, "1.25"};
        }
        const auto spans = AxisLabels::PlaceAcross(labels, {60, 60, 60, 60, 60}, 10, 439, 2, 6);
        std::string shown;
        int right = 0;
        for (const AxisTextSpan& span : spans) {
            shown += span.shown ? 's' : '-';
            right = span.shown ? span.left + span.width : right;
        }
        EXPECT_EQ(shown + ' ' + std::to_string(spans[0].left) + ".." + std::to_string(right),
                  expected);
    }
}
