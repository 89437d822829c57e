#pragma once

#include <QLabel>

// A label that acts as a link: a click opens its own text (a web address or a file)
// with the system's "open" action, or, in notify mode, only tells its parent.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    // The notification code sent instead of opening in notify mode.
    static constexpr int kNotifyCode = 33280;

    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    void SetNotifyMode(bool notify) { notify_ = notify; }
    bool NotifyMode() const { return notify_; }

signals:
    void Notified(int code);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool notify_ = false;
};
