#include "support/MappedGeometry.h"
#include "view/AnchorRules.h"
#include "view/MapGeometry.h"
#include "view/MapPlacement.h"

#include <gtest/gtest.h>

namespace {

// 1001 points over 1000 pixels: pixel = 100 + position.
ViewGeometry Plot() {
    return MappedGeometry({100, 50, 1100, 550}, 0, 1000, -8192, 8191);
}

} // namespace

TEST(AnchorRanges, EachAnchorStaysInsideTheVisibleRangeAndOffTheOther) {
    EXPECT_EQ(AnchorRules::AllowedRange(0, 300, 700, 100, 900).low, 100);
    EXPECT_EQ(AnchorRules::AllowedRange(0, 300, 700, 100, 900).high, 699);
    EXPECT_EQ(AnchorRules::AllowedRange(1, 300, 700, 100, 900).low, 301);
    EXPECT_EQ(AnchorRules::AllowedRange(1, 300, 700, 100, 900).high, 900);
}

TEST(AnchorEditorText, DigitsWithinTheRangeAreAcceptedAndAnythingElseRefused) {
    const AnchorRange left = AnchorRules::AllowedRange(0, 300, 700, 0, 999);
    EXPECT_EQ(AnchorRules::ParseEditorText("12", left), 12);
    EXPECT_FALSE(AnchorRules::ParseEditorText("12a", left));
    EXPECT_FALSE(AnchorRules::ParseEditorText("-5", left));
    EXPECT_FALSE(AnchorRules::ParseEditorText(" 5", left));
    EXPECT_FALSE(AnchorRules::ParseEditorText("700", left)) << "onto the right anchor";
    EXPECT_FALSE(AnchorRules::ParseEditorText("9999999999999999999", left));
    EXPECT_EQ(AnchorRules::ParseEditorText("699", left), 699);
}

TEST(AnchorEditorText, EmptyTextMeansZeroWhenZeroIsAllowed) {
    EXPECT_EQ(AnchorRules::ParseEditorText("", AnchorRules::AllowedRange(0, 300, 700, 0, 999)), 0);
    EXPECT_FALSE(
        AnchorRules::ParseEditorText("", AnchorRules::AllowedRange(0, 300, 700, 100, 999)));
    EXPECT_FALSE(AnchorRules::ParseEditorText("", AnchorRules::AllowedRange(1, 300, 700, 0, 999)));
}

TEST(AnchorHitTest, HandlesAndTheAnchorLinesAreHitAndTheNearerAnchorWins) {
    const int pixels[2] = {300, 330};
    const PixelRect handles[2] = {AnchorRules::HandleRect(0, 300, 50, 10, 14),
                                  AnchorRules::HandleRect(1, 330, 50, 10, 14)};
    const PixelRect plot{100, 50, 1100, 550};
    EXPECT_EQ(handles[0], (PixelRect{300, 36, 310, 50}));
    EXPECT_EQ(handles[1], (PixelRect{321, 36, 331, 50}));
    EXPECT_EQ(AnchorRules::HitTest(305, 40, handles, pixels, plot), 0);
    EXPECT_EQ(AnchorRules::HitTest(325, 40, handles, pixels, plot), 1);
    EXPECT_EQ(AnchorRules::HitTest(302, 300, handles, pixels, plot), 0);
    EXPECT_EQ(AnchorRules::HitTest(332, 300, handles, pixels, plot), 1);
    EXPECT_EQ(AnchorRules::HitTest(315, 300, handles, pixels, plot), -1);
    EXPECT_EQ(AnchorRules::HitTest(305, 20, handles, pixels, plot), -1);
    const int close[2] = {300, 304};
    EXPECT_EQ(AnchorRules::HitTest(303, 300, handles, close, plot), 1);
}

TEST(AnchorDrag, FollowsOnlyWhileTheHandlesStayMoreThanFifteenPixelsApart) {
    const ViewGeometry geometry = Plot();
    const AnchorRange range = AnchorRules::AllowedRange(0, 0, 600, 0, 1000);
    AnchorRules::DragStep step = AnchorRules::Drag(0, 500, 60, 60, 700, geometry, range);
    EXPECT_TRUE(step.follow);
    EXPECT_EQ(step.handleX, 500);
    EXPECT_EQ(step.position, 400);
    EXPECT_FALSE(step.moveCursor);
    EXPECT_TRUE(AnchorRules::Drag(0, 684, 60, 60, 700, geometry, range).follow);
    EXPECT_FALSE(AnchorRules::Drag(0, 685, 60, 60, 700, geometry, range).follow);
    const AnchorRange right = AnchorRules::AllowedRange(1, 400, 600, 0, 1000);
    EXPECT_FALSE(AnchorRules::Drag(1, 515, 60, 60, 500, geometry, right).follow);
    EXPECT_TRUE(AnchorRules::Drag(1, 516, 60, 60, 500, geometry, right).follow);
}

TEST(AnchorDrag, CursorIsPutBackIntoTheAllowedPixelsAndToTheStartingHeight) {
    const ViewGeometry geometry = Plot();
    const AnchorRange range = AnchorRules::AllowedRange(1, 0, 600, 0, 1000);
    AnchorRules::DragStep step = AnchorRules::Drag(1, 1300, 64, 60, 200, geometry, range);
    EXPECT_TRUE(step.follow);
    EXPECT_TRUE(step.moveCursor);
    EXPECT_EQ(step.cursorX, 1100);
    EXPECT_EQ(step.cursorY, 64) << "4 pixels off is not yet a stray";
    EXPECT_EQ(step.position, 1000);
    step = AnchorRules::Drag(1, 900, 65, 60, 200, geometry, range);
    EXPECT_TRUE(step.moveCursor);
    EXPECT_EQ(step.cursorY, 60);
    step = AnchorRules::Drag(0, 20, 60, 60, 900, geometry,
                             AnchorRules::AllowedRange(0, 0, 800, 0, 1000));
    EXPECT_EQ(step.cursorX, 100);
    EXPECT_EQ(step.position, 0);
}

TEST(AnchorEditorPlacement, EditorStandsOutsideTheMarkedRangeThreePixelsHigher) {
    const PixelRect handle{300, 36, 310, 50};
    EXPECT_EQ(AnchorRules::EditorRect(0, handle, 60, 20), (PixelRect{240, 33, 300, 53}));
    EXPECT_EQ(AnchorRules::EditorRect(1, handle, 60, 20), (PixelRect{310, 33, 370, 53}));
}

TEST(WaveformMapGeometry, VisibleRangeIsARectangleOverTheWholeHeight) {
    const ViewGeometry map =
        MapGeometry::ForClient(200, 100, 1001, -8192, 8191, CodeEncoding::Standard, 16384);
    EXPECT_EQ(MapGeometry::VisibleRect(map, 0, 1000), (PixelRect{0, 0, 200, 100}));
    EXPECT_EQ(MapGeometry::VisibleRect(map, 250, 500), (PixelRect{50, 0, 100, 100}));
    EXPECT_TRUE(MapGeometry::DrawnAsMarker(MapGeometry::VisibleRect(map, 250, 265)));
    EXPECT_FALSE(MapGeometry::DrawnAsMarker(MapGeometry::VisibleRect(map, 250, 275)));
}

TEST(WaveformMapGeometry, DraggedRectangleStaysInsideTheClientArea) {
    const PixelRect client{0, 0, 200, 100};
    const PixelRect start{50, 0, 100, 100};
    EXPECT_EQ(MapGeometry::Dragged(start, 30, 7, client), (PixelRect{80, 0, 130, 100}));
    EXPECT_EQ(MapGeometry::Dragged(start, 400, 0, client), (PixelRect{150, 0, 200, 100}));
    EXPECT_EQ(MapGeometry::Dragged(start, -80, 0, client), (PixelRect{0, 0, 50, 100}));
}

TEST(WaveformMapGeometry, ReleaseSelectsTheRangeUnderTheRectangleAtLeastThreePixelsWide) {
    const ViewGeometry map =
        MapGeometry::ForClient(200, 100, 1001, -8192, 8191, CodeEncoding::Standard, 16384);
    EXPECT_EQ(MapGeometry::RangeOf({50, 0, 100, 100}, map, 1001),
              (std::pair<double, double>{250, 500}));
    EXPECT_EQ(MapGeometry::RangeOf({50, 0, 51, 100}, map, 1001),
              (std::pair<double, double>{250, 265}));
    EXPECT_EQ(MapGeometry::RangeOf({0, 0, 200, 100}, map, 1001),
              (std::pair<double, double>{0, 1000}));
}

// A click off the mark centres the range on it, keeping its width, inside the waveform.
TEST(WaveformMapGeometry, ClickCentresTheRangeAndKeepsItsWidth) {
    // 1001 points over 200 pixels: 5 points per pixel.
    const ViewGeometry map =
        MapGeometry::ForClient(200, 100, 1001, -8192, 8191, CodeEncoding::Standard, 16384);
    const struct {
        double xmin, xmax;
        int pixel;
        double first, last;
    } cases[] = {{250, 500, 0, 0, 250}, {250, 500, 200, 750, 1000}, {500, 502, 20, 99, 101}};
    for (const auto& c : cases) {
        EXPECT_EQ(MapGeometry::CentredRange(map, c.xmin, c.xmax, c.pixel, 1001),
                  (std::pair<double, double>{c.first, c.last}))
            << c.xmin << ".." << c.xmax << " clicked at " << c.pixel;
    }
}

// The map opens at its own place while that leaves the main window free, beside the window
// where the screen has room, and otherwise in the plot's corner that hides least trace.
TEST(WaveformMapPlacement, MapStaysOffTheTraceWhereverTheScreenAllows) {
    struct Case {
        const char* name;
        PixelRect window;
        PixelRect plot;
        std::vector<PixelRun> trace;
        PixelRect expected;
    };
    const Case cases[] = {
        {"home", {300, 200, 1000, 750}, {350, 320, 980, 730}, {}, {0, 10, 220, 170}},
        {"right", {100, 50, 800, 600}, {150, 175, 770, 560}, {}, {806, 175, 1026, 335}},
        {"below", {0, 0, 1280, 500}, {50, 100, 1250, 480}, {}, {1030, 506, 1250, 666}},
        {"trace above",
         {0, 0, 1280, 800},
         {50, 50, 1250, 750},
         {{100, 100, 300}, {1100, 100, 300}},
         {1024, 584, 1244, 744}},
        {"trace right",
         {0, 0, 1280, 800},
         {50, 50, 1250, 750},
         {{1100, 50, 749}},
         {56, 56, 276, 216}},
    };
    for (const Case& c : cases) {
        const MapPlacement::Scene scene{{0, 0, 1280, 800}, c.window, c.plot, c.trace};
        const PixelRect place = MapPlacement::Place(scene, 220, 160);
        EXPECT_EQ(place, c.expected) << c.name;
        EXPECT_EQ(MapPlacement::CoveredTrace(place, c.trace), 0) << c.name;
    }
}
