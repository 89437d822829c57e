#pragma once

#include "view/ViewGeometry.h"

#include <QPoint>

class AnchorEditor;
class AnchorHandle;
class QPainter;
class ViewSurface;
class WaveViewState;

// The two anchors of a view as the mouse meets them: their handles above the plot, the
// hit-testing of handles and anchor lines, the drag (with the guide line and the editor
// that follows it), the editor a right click opens, the highlight under the cursor and
// the shading of the range outside the anchors. The anchors themselves stay in the view's
// state.
class AnchorDragController {
public:
    explicit AnchorDragController(ViewSurface& surface);

    // Creates the handles and the editor, children of the view.
    void Build();
    AnchorHandle* Handle(int index) const { return handles_[index]; }
    AnchorEditor* Editor() const { return editor_; }

    // The handle (or, `withLines`, the anchor line) under a point; -1 none.
    int HandleAt(QPoint point, bool withLines) const;
    bool Dragging() const { return dragHandle_ >= 0; }
    void StartDrag(int index, QPoint point);
    void Drag(QPoint point);
    void EndDrag();
    void ShowEditorAt(int index);
    void SetHighlighted(int index);
    // Puts the handles on their anchors; a handle whose anchor is out of view is hidden.
    void PlaceHandles();
    // The anchors are remembered in the context file for the generator dialogs.
    void WriteParameters();
    // The shading outside the anchors and the guide line of a drag, in XOR.
    void PaintShading(QPainter& painter) const;

private:
    int Pixel(int index) const;
    // Where the anchor is drawn: a dragged anchor follows the guide line.
    int ShownPixel(int index) const;
    bool Visible(int index) const;
    // Side by side, handles closer than two widths would cover each other's line and
    // triangle; they then stand outside the marked range instead, each still touching
    // its anchor, so that both stay whole and can be picked.
    bool HandlesFacingOut() const;
    PixelRect HandleRect(int index) const;
    void PlaceEditor(int index);

    const WaveViewState& State() const;

    ViewSurface& surface_;
    AnchorHandle* handles_[2] = {nullptr, nullptr};
    AnchorEditor* editor_ = nullptr;
    int dragHandle_ = -1; // the handle being dragged, -1 none
    int dragStartY_ = 0;
    int guideX_ = -1; // XOR guide line of an anchor drag
    int highlighted_ = -1;
};
