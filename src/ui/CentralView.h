#pragma once

class FrameMode;
class FrameView;
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
    // The same view, as the window asks it for its commands.
    FrameView* Frame() const;
};

// The central view the window's mode asks for, of the session's document.
CentralView CentralViewFor(const FrameMode& mode, ToolSession& session, QWidget* parent);
