#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;

// What a user does to a dialog in the widget tests.

// Replaces what a field holds by typing `text` into it.
void Type(QLineEdit* field, const QString& text);
// The same, confirmed with the Return key.
void TypeAndEnter(QLineEdit* field, const QString& text);

// A dialog's child by its object name; the test stops when the dialog has none.
template <class Widget> Widget* Child(QWidget& dialog, const char* name) {
    auto* child = dialog.findChild<Widget*>(QString::fromLatin1(name));
    if (child == nullptr) {
        qFatal("no child %s", name);
    }
    return child;
}

// Clicks a dialog's button, found by its object name.
void Click(QWidget& dialog, const char* name);

// A mouse move with no button held, delivered straight to `widget` (QTest's own move sends
// none to a widget that does not track the mouse).
void Hover(QWidget* widget, QPoint at);

// Runs `answer` on the modal dialog that the next call opens, once it is up.
void OnNextDialog(std::function<void(QWidget*)> answer);
