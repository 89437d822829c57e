#pragma once

#include "synthesis/EditCommands.h"

class QString;
class QWidget;
class WaveViewState;

// What the helpers of a waveform view (the anchor drag, the drawing tools, the
// commands) may ask of
// the view: its state, the widget to repaint and to hold the cursor, and the notices
// the view sends out when they change something. The view implements it; nothing else
// of the view is open to them.
class ViewSurface {
public:
    virtual ~ViewSurface() = default;

    virtual WaveViewState& State() = 0;
    virtual const WaveViewState& State() const = 0;
    virtual QWidget& Widget() = 0;
    virtual DrawMode Mode() const = 0;
    // Repaints the full-height strip between two pixel columns.
    virtual void RepaintStrip(int x0, int x1) = 0;
    // The anchors or the visible range changed: handles, map, read-outs and commands follow.
    virtual void ViewChanged() = 0;
    // An anchor moved during a drag (only the read-outs follow).
    virtual void AnchorsMoved() = 0;
    virtual void CommandStateMayHaveChanged() = 0;
    virtual void ShowStatusText(const QString& text) = 0;
    // Samples were drawn into the document (the map's picture is out of date).
    virtual void SamplesDrawn() = 0;
    // The drawing (or an edit command) was written to the working file.
    virtual void DrawingCommitted() = 0;
    // The view zoomed in or out: the map shows beside a zoomed view only.
    virtual void Zoomed(bool in) = 0;
};
