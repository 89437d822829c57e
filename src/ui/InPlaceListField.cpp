#include "ui/InPlaceListField.h"

#include <QKeyEvent>

InPlaceListField::InPlaceListField(QWidget* list, QWidget* parent)
    : QLineEdit(parent), list_(list) {}

void InPlaceListField::Begin(const QString& text) {
    cancelled_ = false;
    setText(text);
    selectAll();
    show();
    setFocus(Qt::OtherFocusReason);
}

// Tab would otherwise move the list's current cell behind the field's back, leaving the
// field open over its old cell with the focus, so that the next keys ran on in it.
bool InPlaceListField::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
        if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            const bool forward =
                key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier) == 0;
            emit Stepped(forward);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void InPlaceListField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ReturnToList(false);
        return;
    case Qt::Key_Escape:
        ReturnToList(true);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void InPlaceListField::ReturnToList(bool cancelled) {
    cancelled_ = cancelled;
    emit Finished(cancelled);
    if (list_ != nullptr) {
        list_->setFocus(Qt::OtherFocusReason);
    }
}
