#include "ui/NumericField.h"

#include "ui/ViewPalette.h"

#include <QApplication>
#include <QKeyEvent>

NumericField::NumericField(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignCenter);
    connect(this, &QLineEdit::textEdited, this, [this] { ApplyTextColour(); });
}

void NumericField::SetFieldFont(int pixelHeight, int weight, const QString& face) {
    QFont font(face);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setWeight(static_cast<QFont::Weight>(weight));
    setFont(font);
}

void NumericField::SetValidator(CharacterFilter filter) {
    filter_ = std::move(filter);
}

void NumericField::ClearModifiedMark() {
    setModified(false);
    ApplyTextColour();
}

void NumericField::ShowValue(const QString& text) {
    setText(text);
    ClearModifiedMark();
}

bool NumericField::IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool NumericField::IsNumberCharacter(QChar c) {
    return IsDigit(c) || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('+') ||
           c == QLatin1Char('e') || c == QLatin1Char('E');
}

// Undo belongs to the field only while it holds typed text; otherwise the key reaches
// the window's Undo, as it does wherever else the focus is.
bool NumericField::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && !isModified() &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) {
        event->ignore();
        return true;
    }
    return QLineEdit::event(event);
}

void NumericField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit Confirmed();
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (filter_ && printable && !(event->modifiers() & Qt::ControlModifier)) {
        for (QChar c : typed) {
            if (!filter_(c)) {
                QApplication::beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void NumericField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (isModified()) {
        emit Confirmed();
    }
}

void NumericField::paintEvent(QPaintEvent* event) {
    ApplyTextColour();
    QLineEdit::paintEvent(event);
}

// Only the text role is set while the mark is on; otherwise the field takes every colour
// from its parent, so that a dark palette (or a change of it) shows unconfirmed and
// confirmed text alike readable.
void NumericField::ApplyTextColour() {
    const bool red = isModified();
    if (red == testAttribute(Qt::WA_SetPalette)) {
        return;
    }
    if (red) {
        QPalette colours;
        colours.setColor(QPalette::Text, QColor(ViewPalette::kModifiedText));
        setPalette(colours);
    } else {
        setPalette(QPalette());
    }
}
