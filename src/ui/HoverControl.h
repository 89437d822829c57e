#pragma once

#include <QTimer>
#include <QWidget>

// A control that lights up while the mouse is over it. The first mouse move sets the
// hot flag; a 100 ms timer then watches the cursor and clears the flag once it has left
// the control, so that the highlight goes away even when the leave event is missed.
class HoverControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWatchMilliseconds = 100;

    explicit HoverControl(QWidget* parent = nullptr);

    bool IsHot() const { return hot_; }

signals:
    void HotChanged(bool hot);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Watch();

    bool hot_ = false;
    QTimer watch_;
};
