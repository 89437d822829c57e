#include "ui/WaveViewCommands.h"

#include "document/WaveDoc.h"
#include "synthesis/EditOperations.h"
#include "ui/ViewSurface.h"
#include "ui/WaveDrawingTool.h"
#include "view/WaveViewState.h"

#include <QWidget>

WaveViewCommands::WaveViewCommands(ViewSurface& surface, WaveDrawingTool& tool)
    : surface_(surface), tool_(tool) {}

EditState WaveViewCommands::State() const {
    const WaveViewState& view = surface_.State();
    EditState state;
    state.left = view.Left();
    state.right = view.Right();
    state.xmin = view.VisibleMin();
    state.xmax = view.VisibleMax();
    state.length = view.Document().Length();
    state.mode = surface_.Mode();
    return state;
}

bool WaveViewCommands::IsEnabled(int id) const {
    if (!EditCommands::IsEditCommand(id)) {
        return false;
    }
    if (id == EditCommands::kPrint) {
        return true; // every mode prints what its view shows
    }
    const WaveViewState& view = surface_.State();
    if (view.Document().Samples().Size() == 0) {
        return false;
    }
    return EditCommands::IsEnabled(id, State());
}

bool WaveViewCommands::IsChecked(int id) const {
    return EditCommands::IsChecked(id, State());
}

bool WaveViewCommands::Run(int id) {
    WaveViewState& view = surface_.State();
    switch (id) {
    case EditCommands::kAutoline:
        tool_.Start(DrawMode::Autoline);
        return true;
    case EditCommands::kSketch:
        tool_.Start(DrawMode::Sketch);
        return true;
    case EditCommands::kFilter:
    case EditCommands::kSmooth:
    case EditCommands::kInvert:
        RunOperation(id);
        return true;
    case EditCommands::kUnmark:
        view.Unmark();
        surface_.ViewChanged();
        return true;
    case EditCommands::kZoomIn:
        view.ZoomIn();
        surface_.Zoomed(true);
        return true;
    // The anchors stay where they were: the marked range remains marked in the full
    // view, ready for another Zoom in.
    case EditCommands::kZoomOut:
        view.ZoomOut();
        surface_.Zoomed(false);
        return true;
    case EditCommands::kTrimLeft:
    case EditCommands::kTrimRight:
        RunTrim(id);
        return true;
    default:
        return false;
    }
}

void WaveViewCommands::RunOperation(int id) {
    WaveViewState& view = surface_.State();
    const long long left = view.Left();
    const long long right = view.Right();
    if (EditOperations::Apply(view.Document(), id, left, right, view.VisibleMax())) {
        // Filter, Smooth and Invert change no point outside the anchors but the one after
        // the right anchor (Smooth's): only that part of the waveform's summary is made
        // again, so that a small edit of a long waveform repaints at once.
        view.SamplesChangedBetween(left, right + 1);
        AfterSamplesChanged();
    }
}

void WaveViewCommands::RunTrim(int id) {
    WaveDoc& document = surface_.State().Document();
    const bool trimmed = id == EditCommands::kTrimLeft ? EditOperations::TrimLeft(document)
                                                       : EditOperations::TrimRight(document);
    if (trimmed) {
        surface_.State().SamplesChanged();
        AfterSamplesChanged();
    }
}

void WaveViewCommands::AfterSamplesChanged() {
    surface_.Widget().update();
    surface_.SamplesDrawn();
    surface_.DrawingCommitted();
}
