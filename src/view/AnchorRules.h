#pragma once

#include "view/ViewGeometry.h"

#include <optional>
#include <string>

// The positions an anchor may take: the left one from the start of the visible range to
// the right anchor - 1, the right one from the left anchor + 1 to the end of the range.
struct AnchorRange {
    long long low = 0;
    long long high = 0;

    bool Contains(long long position) const { return position >= low && position <= high; }
};

// Where the anchor handles sit, what a mouse press hits, how a drag follows the mouse
// and what the anchor position editor accepts. Index 0 is the left anchor, 1 the right.
class AnchorRules {
public:
    // While dragging, the handles stay more than this many pixels apart.
    static constexpr int kMinimumGap = 15;
    // A drag that strays this far vertically has the cursor put back to its height.
    static constexpr int kVerticalStray = 5;
    // Half-width of the strip around an anchor line inside the plot that grabs it too.
    static constexpr int kLineGrab = 3;
    static constexpr int kEditorTextLength = 19;

    static AnchorRange AllowedRange(int index, long long left, long long right, double xmin,
                                    double xmax);
    // The editor's text on Enter: empty (0) or digits only, within the range. Nothing
    // when the text is refused.
    static std::optional<long long> ParseEditorText(const std::string& text,
                                                    const AnchorRange& range);

    // A handle stands on the plot's top edge: the left one to the right of its anchor's
    // pixel, the right one to the left of it, so that both point into the marked range.
    static PixelRect HandleRect(int index, int anchorPixel, int plotTop, int width, int height);
    // The handle under a point (its rectangle, or the anchor line inside the plot), -1
    // when none; the nearer anchor wins when both are close.
    static int HitTest(int x, int y, const PixelRect handles[2], const int anchorPixels[2],
                       const PixelRect& plot);

    // The pixels a handle may take: xmin (left) or xmin + 1 (right) up to xmax - 1 (left)
    // or xmax (right).
    static void PixelLimits(int index, const ViewGeometry& geometry, int& low, int& high);

    struct DragStep {
        bool follow = false; // the handle moves to handleX
        int handleX = 0;
        bool moveCursor = false; // the cursor is put back to (cursorX, cursorY)
        int cursorX = 0;
        int cursorY = 0;
        long long position = 0; // the anchor's new position when followed
    };
    // One mouse move of a drag of handle `index` to (x, y); the drag started at height
    // startY, the other handle stands at otherX, the anchors must stay within `range`.
    static DragStep Drag(int index, int x, int y, int startY, int otherX,
                         const ViewGeometry& geometry, const AnchorRange& range);

    // The position editor beside a handle: left of the left handle, right of the right
    // one, 3 pixels higher.
    static PixelRect EditorRect(int index, const PixelRect& handle, int width, int height);
};
