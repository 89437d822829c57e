#pragma once

#include "synthesis/EditCommands.h"

class ViewSurface;
class WaveDrawingTool;

// The Edit and View menu commands of the waveform view (drawing modes, edit
// operations, trims, Unmark, zoom, Print): whether each is enabled or checked for what
// the view shows, and running them. They reach the view only through its ViewSurface;
// Print, which needs the whole view, stays the view's to run.
class WaveViewCommands {
public:
    WaveViewCommands(ViewSurface& surface, WaveDrawingTool& tool);

    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;
    // Runs an enabled command; false for an id that is not one of these (Print).
    bool Run(int id);

private:
    EditState State() const;
    void RunOperation(int id);
    void RunTrim(int id);
    void AfterSamplesChanged();

    ViewSurface& surface_;
    WaveDrawingTool& tool_;
};
