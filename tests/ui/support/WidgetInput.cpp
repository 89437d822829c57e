#include "ui/support/WidgetInput.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

void Type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
}

void TypeAndEnter(QLineEdit* field, const QString& text) {
    Type(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

QPushButton* Button(QWidget& dialog, const char* name) {
    return Child<QPushButton>(dialog, name);
}
