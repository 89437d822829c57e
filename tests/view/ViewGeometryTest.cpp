#include "view/ViewGeometry.h"
#include "support/MappedGeometry.h"

#include <gtest/gtest.h>

namespace {

const PixelRect kPlot{40, 45, 758, 570};

ViewGeometry Standard(double xmin, double xmax) {
    return MappedGeometry(kPlot, xmin, xmax, -8192, 8191);
}

} // namespace

TEST(ViewMappings, StandardCodeZeroLiesOnTheMiddleLineAndHalfSpansOnTheEdges) {
    const ViewGeometry geometry = Standard(0, 999);
    EXPECT_EQ(geometry.CodeToPixel(0), (kPlot.top + kPlot.bottom) / 2);
    EXPECT_EQ(geometry.CodeToPixel(8192), kPlot.top);
    EXPECT_EQ(geometry.CodeToPixel(-8192), kPlot.bottom);
    EXPECT_EQ(geometry.YToPixel(-8192), kPlot.bottom);
    EXPECT_EQ(geometry.YToPixel(8191), kPlot.top);
}

// FM codes of the window 90..110 MHz put the base frequency's code exactly on the middle
// line; the wide FM samples are the frequencies themselves.
TEST(ViewMappings, FmValuesSpanTheVerticalRange) {
    struct Case {
        CodeEncoding encoding;
        double low, high;
        double bottom, middle, top;
    };
    const Case cases[] = {
        {CodeEncoding::FmCodes, 90e6, 110e6, 0, 500000000, 1000000000},
        {CodeEncoding::FmHz, 0.9e6, 1.1e6, 0.9e6, 1.0e6, 1.1e6},
    };
    for (const Case& c : cases) {
        const ViewGeometry geometry =
            MappedGeometry({0, 100, 500, 500}, 0, 999, c.low, c.high, c.encoding);
        EXPECT_EQ(geometry.CodeToPixel(c.bottom), 500) << c.high;
        EXPECT_EQ(geometry.CodeToPixel(c.middle), 300) << c.high;
        EXPECT_EQ(geometry.CodeToPixel(c.top), 100) << c.high;
    }
}

TEST(ViewMappings, ZeroVerticalRangeLeavesThePreviousMappingsInPlace) {
    ViewGeometry geometry = Standard(0, 999);
    const AxisMap before = geometry.XMap();
    const int middle = geometry.CodeToPixel(0);
    geometry.SetRanges(0, 10, 5, 5);
    geometry.ComputeMappings({0, 0, 100, 100});
    EXPECT_EQ(geometry.XMap().slope, before.slope);
    EXPECT_EQ(geometry.CodeToPixel(0), middle);
}

TEST(ViewMappings, PixelsAreTruncatedTowardZeroAndPixelToXInvertsXToPixel) {
    const ViewGeometry geometry = MappedGeometry({-10, 0, 0, 10}, 0, 4, -1, 1); // 2.5 px a point
    EXPECT_EQ(geometry.XToPixel(1), -7);                                        // -7.5
    EXPECT_EQ(geometry.XToPixel(3), -2);                                        // -2.5
    EXPECT_DOUBLE_EQ(geometry.PixelToX(-5), 2.0);
    const ViewGeometry standard = Standard(100, 1100);
    EXPECT_EQ(standard.XToPixel(100), kPlot.left);
    EXPECT_EQ(standard.XToPixel(1100), kPlot.right);
    EXPECT_NEAR(standard.PixelToX(kPlot.right), 1100, 1e-9);
    EXPECT_NEAR(standard.PixelToCode(standard.CodeToPixel(4096)), 4096, 16384.0 / 525);
}

TEST(ViewLayout, PlotLeavesTheLabelWidthsAndOneTwentiethOfTheHeight) {
    EXPECT_EQ(ViewGeometry::LayoutPlot(800, 600, 40, 50, false), (PixelRect{40, 45, 758, 570}));
    EXPECT_EQ(ViewGeometry::LayoutPlot(800, 600, 40, 50, true), (PixelRect{40, 34, 758, 559}));
    // A short window moves the pulse plot up by half its margin only.
    EXPECT_EQ(ViewGeometry::LayoutPlot(800, 200, 40, 50, true), (PixelRect{40, 10, 758, 185}));
}

TEST(ViewLayout, PrintedPageIsATwoToOneBandWithTheLabelExtentsAround) {
    const PixelRect background = ViewGeometry::PrintBackground({0, 0, 4800, 6800}, 4800);
    EXPECT_EQ(background, (PixelRect{480, 0, 4800, 2160}));
    EXPECT_EQ(ViewGeometry::PrintPlot(background, 200, 60), (PixelRect{680, 60, 4700, 2070}));
}

TEST(ViewLayout, LabelFontFollowsThePlotHeightWithinItsLimits) {
    EXPECT_DOUBLE_EQ(ViewGeometry::LabelFontHeight(150, false), 11.0);
    EXPECT_DOUBLE_EQ(ViewGeometry::LabelFontHeight(360, false), 13.2);
    EXPECT_DOUBLE_EQ(ViewGeometry::LabelFontHeight(900, false), 15.4);
    EXPECT_DOUBLE_EQ(ViewGeometry::LabelFontHeight(3000, true), 44.0);
    EXPECT_DOUBLE_EQ(ViewGeometry::ReadoutFontHeight(360, false), 10.0);
    EXPECT_DOUBLE_EQ(ViewGeometry::ReadoutFontHeight(900, false), 12.0);
}

TEST(ViewMappings, PlotEdgesMapBackToTheEndsOfTheRangesExactly) {
    for (int width : {97, 640, 733, 1181, 1919}) {
        for (double xmax : {1023.0, 999.0, 15999999.0}) {
            const ViewGeometry geometry = MappedGeometry({31, 45, 31 + width, 45 + width / 2}, 17,
                                                         xmax, 90e6, 110e6, CodeEncoding::FmCodes);
            EXPECT_EQ(geometry.PixelToX(31 + width), xmax) << width;
            EXPECT_EQ(geometry.PixelToX(31), 17) << width;
            EXPECT_EQ(geometry.PixelToCode(45), 1e9) << width;
            EXPECT_EQ(geometry.PixelToCode(45 + width / 2), 0) << width;
        }
    }
}
