#pragma once

#include <string>

// What the document asks of its view and frame: the anchors that bound every edit, the
// waveform map window, the parameter bar's fields and the main window's text. The GUI's
// view implements it; the command-line tool and the tests use HeadlessView.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    virtual void SetAnchors(double left, double right) = 0;
    virtual double LeftAnchor() const = 0;
    virtual double RightAnchor() const = 0;
    virtual void HideWaveformMap() = 0;
    // The length field (control 2000) and the segment/deviation field (control 2001).
    virtual void ShowLengthText(const std::string& text) = 0;
    virtual void ShowSegmentText(const std::string& text) = 0;
    virtual void SetMainTitle(const std::string& title) = 0;
    virtual void UpdateAllViews() = 0;
    // A close request posted to the main frame (the FM settings failed at start).
    virtual void RequestClose() = 0;
};
