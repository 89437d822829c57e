#pragma once

#include "ui/FramePlacement.h"

#include <QRect>

class ProfileStore;
class QMainWindow;

// Puts the main window where it was left and keeps its normal rectangle up to date while
// it moves, so that a window closed maximised or minimised still saves the place it comes
// back to. The stored values themselves are FramePlacement's.
class FramePlacer {
public:
    FramePlacer(QMainWindow& window, const PlacementKeys& keys);

    // The smallest size of the window: the host's "minSMrct" (width and height), with 50
    // pixels added to the height; nothing but those 50 when the value is unreadable.
    void ApplyMinimumSize(ProfileStore& store);
    // The bars' arrangement, then the stored (or default) rectangle fitted to the screen
    // it lies on.
    void Restore();
    // Shows the window in the stored state: minimised, maximised or normal.
    void Show();
    // After a move or a resize: the rectangle of a window in its normal state.
    void Remember();
    void Save() const;

private:
    QMainWindow& window_;
    PlacementKeys keys_;
    QRect normalRect_;
};
