#pragma once

#include "synthesis/EditCommands.h"

#include <QPoint>

class QPainter;
class ViewSurface;

// The drawing modes of a view as the mouse uses them. Autoline joins the points clicked
// one after the other with straight lines, showing the last point and a rubber band to
// the cursor; Sketch draws freehand while the left button is down. The cursor is kept
// inside the plot while a mode is on. Ending a mode writes the drawing to the working file.
class WaveDrawingTool {
public:
    explicit WaveDrawingTool(ViewSurface& surface);

    DrawMode Mode() const { return mode_; }
    // Starts a mode: the anchors are released and the waveform is kept for Undo.
    void Start(DrawMode mode);
    void End();
    // The mouse while a mode is on; Move returns the point kept inside the plot.
    void Press(QPoint point);
    QPoint Move(QPoint point);
    void Release();
    // The last Autoline point and the rubber band, in XOR.
    void PaintMarkers(QPainter& painter) const;

private:
    void AutolineClick(QPoint point);
    bool DrawSegmentBetween(QPoint from, QPoint to);
    QPoint ConfineToPlot(QPoint point);
    void UpdateRubberBand(QPoint end);

    ViewSurface& surface_;
    DrawMode mode_ = DrawMode::None;
    QPoint lastPoint_; // P
    bool hasLastPoint_ = false;
    bool stroke_ = false; // Sketch: left button down
    QPoint rubberEnd_;    // Autoline: the cursor end of the rubber band
    bool hasRubber_ = false;
};
