#include "view/MapPlacement.h"

#include <algorithm>

namespace {

PixelRect At(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

} // namespace

PixelRect MapPlacement::Place(const Scene& scene, int width, int height) {
    const PixelRect& window = scene.mainWindow;
    const PixelRect home =
        At(scene.screen.left + kHomeLeft, scene.screen.top + kHomeTop, width, height);
    if (Fits(home, scene.screen) && !Overlaps(home, window)) {
        return home;
    }
    // Beside the window: level with the plot's top on the right or left, under the plot's
    // right end below or above.
    const int level = std::clamp(scene.plot.top, scene.screen.top,
                                 std::max(scene.screen.top, scene.screen.bottom - height));
    const int underEnd = std::clamp(scene.plot.right - width, scene.screen.left,
                                    std::max(scene.screen.left, scene.screen.right - width));
    const PixelRect beside[] = {
        At(window.right + kGap, level, width, height),
        At(window.left - kGap - width, level, width, height),
        At(underEnd, window.bottom + kGap, width, height),
        At(underEnd, window.top - kGap - height, width, height),
    };
    for (const PixelRect& place : beside) {
        if (Fits(place, scene.screen)) {
            return place;
        }
    }
    return LeastCoveringCorner(scene, width, height);
}

long long MapPlacement::CoveredTrace(const PixelRect& rect, const std::vector<PixelRun>& trace) {
    long long covered = 0;
    for (const PixelRun& run : trace) {
        if (run.x < rect.left || run.x >= rect.right) {
            continue;
        }
        const int top = std::max(run.top, rect.top);
        const int bottom = std::min(run.bottom + 1, rect.bottom);
        covered += std::max(0, bottom - top);
    }
    return covered;
}

bool MapPlacement::Fits(const PixelRect& rect, const PixelRect& screen) {
    return rect.left >= screen.left && rect.top >= screen.top && rect.right <= screen.right &&
           rect.bottom <= screen.bottom;
}

bool MapPlacement::Overlaps(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The top right corner first, where the map opened before, then the others; the first
// that covers least wins.
PixelRect MapPlacement::LeastCoveringCorner(const Scene& scene, int width, int height) {
    const PixelRect& plot = scene.plot;
    const int left = plot.left + kGap;
    const int right = std::max(left, plot.right - kGap - width);
    const int top = plot.top + kGap;
    const int bottom = std::max(top, plot.bottom - kGap - height);
    const PixelRect corners[] = {At(right, top, width, height), At(left, top, width, height),
                                 At(right, bottom, width, height), At(left, bottom, width, height)};
    const PixelRect* best = &corners[0];
    long long least = CoveredTrace(*best, scene.trace);
    for (const PixelRect& corner : corners) {
        const long long covered = CoveredTrace(corner, scene.trace);
        if (covered < least) {
            least = covered;
            best = &corner;
        }
    }
    return *best;
}
