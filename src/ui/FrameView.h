#pragma once

// What the main window asks of the view in its centre, whichever one its mode shows (the
// waveform view or the pulse design view): the first update, the Edit and View menu
// commands, and the host's reload of the shared state.
class FrameView {
public:
    virtual ~FrameView() = default;

    // Once, after the window has connected the view and placed itself.
    virtual void InitialUpdate() = 0;
    virtual bool IsCommandEnabled(int id) const = 0;
    virtual bool IsCommandChecked(int id) const = 0;
    // Runs a command by id; false when the id is not the view's or it is disabled.
    virtual bool OnCommand(int id) = 0;
    // The host changed the active channel or segment in the context file (request 4).
    virtual void FollowHostReload() = 0;
};
