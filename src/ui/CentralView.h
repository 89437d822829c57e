#pragma once

class PulseDesignView;
class QWidget;
class ToolSession;
class WaveView;

// The main window's central widget as the mode has it: the waveform view, or in the pulse
// designer the pulse design view. Exactly one of the two is set; both are the document's
// view and belong to the window.
struct CentralView {
    WaveView* wave = nullptr;
    PulseDesignView* pulse = nullptr;

    QWidget* Widget() const;
};

// The one place that chooses the central view for the session's mode.
CentralView CentralViewFor(ToolSession& session, QWidget* parent);
