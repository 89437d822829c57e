#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// A window's remembered rectangle fitted to the screen it opens on: a layout saved on a large
// screen (or the default one on a small screen, or at a scale factor of 2) must not open with
// its status bar below the screen's edge.
class ScreenFit {
public:
    // Room for the window manager's frame, which is unknown before the window is shown;
    // none on the platforms that draw no frames (offscreen, minimal).
    static QMargins FrameAllowance();

    // `wanted` (the frame's corner and the window's own size) made no larger than
    // `available` less `frame` (but never smaller than `minimum`) and moved so that the window
    // with its frame lies inside `available`; a rectangle that fits is returned unchanged.
    static QRect Fitted(const QRect& wanted, const QRect& available, const QSize& minimum,
                        const QMargins& frame);
};
