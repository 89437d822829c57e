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
