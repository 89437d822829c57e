#pragma once

#include <QPointer>
#include <QWidget>

// The window that the message boxes of the work running now belong to, for as long as an
// owner object lives. A window that runs core work of its own (the pulse editor, whose
// cell checks answer with a message) names itself, so that the box appears over the
// window where the error happened rather than over the main window; owners nest, the
// innermost wins.
class MessageOwner {
public:
    explicit MessageOwner(QWidget* window);
    ~MessageOwner();
    MessageOwner(const MessageOwner&) = delete;
    MessageOwner& operator=(const MessageOwner&) = delete;

    // The innermost living owner's window; null when there is none (or it has gone).
    static QWidget* Current();

private:
    QPointer<QWidget> window_;
    MessageOwner* outer_ = nullptr;
};
