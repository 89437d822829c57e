#pragma once

#include "document/DocumentView.h"

// A view without a window: keeps the anchors and the last texts it was given.
class HeadlessView : public DocumentView {
public:
    void SetAnchors(double left, double right) override {
        left_ = left;
        right_ = right;
    }
    double LeftAnchor() const override { return left_; }
    double RightAnchor() const override { return right_; }
    void HideWaveformMap() override {}
    void ShowLengthText(const std::string& text) override { lengthText = text; }
    void ShowSegmentText(const std::string& text) override { segmentText = text; }
    void SetMainTitle(const std::string& text) override { title = text; }
    void UpdateAllViews() override { ++updates; }
    void RequestClose() override { closeRequested = true; }

    std::string lengthText;
    std::string segmentText;
    std::string title;
    int updates = 0;
    bool closeRequested = false;

private:
    double left_ = 0.0;
    double right_ = 0.0;
};
