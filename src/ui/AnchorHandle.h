#pragma once

#include <QWidget>

// The small flag that marks an anchor at the top edge of the plot: a line along the
// anchor's side and a triangle pointing at it. The view does the hit-testing and the
// dragging, so the handle lets mouse events through to it.
class AnchorHandle : public QWidget {
    Q_OBJECT
public:
    enum class Side { Left, Right }; // the side the anchor line is drawn on

    AnchorHandle(Side side, QWidget* parent = nullptr);

    Side LineSide() const { return side_; }
    // Handles too close to stand side by side turn outward, which moves their line.
    void SetLineSide(Side side);
    bool Highlighted() const { return highlighted_; }
    void SetHighlighted(bool highlighted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Side side_;
    bool highlighted_ = false;
};
