#include "ui/AnchorEditor.h"

#include <QKeyEvent>

AnchorEditor::AnchorEditor(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight);
    badTimer_.setSingleShot(true);
    badTimer_.setInterval(kBadTextMilliseconds);
    connect(&badTimer_, &QTimer::timeout, this, &AnchorEditor::RestoreAfterBadText);
    hide();
}

void AnchorEditor::Open(int index, const QString& text, const AnchorRange& range) {
    badTimer_.stop();
    setReadOnly(false);
    index_ = index;
    range_ = range;
    setText(text);
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void AnchorEditor::Follow(int index, const QString& text) {
    index_ = index;
    setText(text);
    show();
    raise();
}

void AnchorEditor::Close() {
    badTimer_.stop();
    setReadOnly(false);
    // Hidden with the focus, the editor would pass it along the tab chain to the length
    // field of the parameter bar, where the next keys would resize the waveform.
    if (hasFocus() && parentWidget() != nullptr) {
        parentWidget()->setFocus(Qt::OtherFocusReason);
    }
    hide();
}

void AnchorEditor::keyPressEvent(QKeyEvent* event) {
    if (badTimer_.isActive()) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Confirm();
        return;
    case Qt::Key_Escape:
        Close();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void AnchorEditor::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!badTimer_.isActive()) {
        Close();
    }
}

void AnchorEditor::Confirm() {
    typed_ = text();
    const auto position = AnchorRules::ParseEditorText(typed_.toStdString(), range_);
    if (position) {
        Close();
        emit PositionAccepted(index_, *position);
        return;
    }
    // The refusal stays on screen while the editor ignores the keyboard.
    setReadOnly(true);
    setText(QStringLiteral("Bad:") + typed_);
    repaint();
    badTimer_.start();
}

void AnchorEditor::RestoreAfterBadText() {
    setReadOnly(false);
    setText(typed_);
    if (isVisible()) {
        setFocus(Qt::OtherFocusReason);
    }
}
