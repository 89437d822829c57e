#include "ui/support/WidgetInput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

void Type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
}

void TypeAndEnter(QLineEdit* field, const QString& text) {
    Type(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

void Click(QWidget& dialog, const char* name) {
    QTest::mouseClick(Child<QAbstractButton>(dialog, name), Qt::LeftButton);
}

void Hover(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void OnNextDialog(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        answer(dialog);
    });
}
