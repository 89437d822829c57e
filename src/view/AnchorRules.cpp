#include "view/AnchorRules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr long long kNoAnchorBeyond = 100000000000000000LL;

} // namespace

AnchorRange AnchorRules::AllowedRange(int index, long long left, long long right, double xmin,
                                      double xmax) {
    if (index == 0) {
        return {static_cast<long long>(xmin), right - 1};
    }
    return {left + 1, static_cast<long long>(xmax)};
}

std::optional<long long> AnchorRules::ParseEditorText(const std::string& text,
                                                      const AnchorRange& range) {
    const std::string kept = text.substr(0, kEditorTextLength);
    long long value = 0;
    for (char c : kept) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        // Nineteen digits may not fit; anything that large is out of every range.
        if (value >= kNoAnchorBeyond) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (!range.Contains(value)) {
        return std::nullopt;
    }
    return value;
}

PixelRect AnchorRules::HandleRect(int index, int anchorPixel, int plotTop, int width, int height) {
    PixelRect rect;
    rect.top = plotTop - height;
    rect.bottom = plotTop;
    if (index == 0) {
        rect.left = anchorPixel;
        rect.right = anchorPixel + width;
    } else {
        rect.left = anchorPixel - width + 1;
        rect.right = anchorPixel + 1;
    }
    return rect;
}

int AnchorRules::HitTest(int x, int y, const PixelRect handles[2], const int anchorPixels[2],
                         const PixelRect& plot) {
    int best = -1;
    int bestDistance = 0;
    for (int index = 0; index < 2; ++index) {
        const int distance = std::abs(x - anchorPixels[index]);
        const bool onHandle = handles[index].Contains(x, y);
        const bool onLine = plot.Contains(x, y) && distance <= kLineGrab;
        if ((onHandle || onLine) && (best < 0 || distance < bestDistance)) {
            best = index;
            bestDistance = distance;
        }
    }
    return best;
}

void AnchorRules::PixelLimits(int index, const ViewGeometry& geometry, int& low, int& high) {
    if (index == 0) {
        low = geometry.XToPixel(geometry.Xmin());
        high = geometry.XToPixel(geometry.Xmax() - 1);
    } else {
        low = geometry.XToPixel(geometry.Xmin() + 1);
        high = geometry.XToPixel(geometry.Xmax());
    }
    high = std::max(high, low);
}

AnchorRules::DragStep AnchorRules::Drag(int index, int x, int y, int startY, int otherX,
                                        const ViewGeometry& geometry, const AnchorRange& range) {
    DragStep step;
    int low = 0;
    int high = 0;
    PixelLimits(index, geometry, low, high);
    step.cursorX = std::clamp(x, low, high);
    step.cursorY = y;
    if (std::abs(y - startY) >= kVerticalStray) {
        step.cursorY = startY;
    }
    step.moveCursor = step.cursorX != x || step.cursorY != y;
    const int gap = index == 0 ? otherX - step.cursorX : step.cursorX - otherX;
    step.follow = gap > kMinimumGap;
    if (step.follow) {
        step.handleX = step.cursorX;
        const double position = std::trunc(geometry.PixelToX(step.cursorX));
        step.position = std::clamp(static_cast<long long>(position), range.low,
                                   std::max(range.low, range.high));
    }
    return step;
}

PixelRect AnchorRules::EditorRect(int index, const PixelRect& handle, int width, int height) {
    PixelRect rect;
    rect.top = handle.top - 3;
    rect.bottom = rect.top + height;
    if (index == 0) {
        rect.right = handle.left;
        rect.left = rect.right - width;
    } else {
        rect.left = handle.right;
        rect.right = rect.left + width;
    }
    return rect;
}
