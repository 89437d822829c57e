#include "ui/AnchorHandle.h"
#include "ui/HoverControl.h"
#include "ui/InPlaceListField.h"
#include "ui/LinkLabel.h"
#include "ui/NumericField.h"
#include "ui/ViewPalette.h"
#include "ui/support/WidgetInput.h"

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QtTest>

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    // Enter confirms, and so does leaving a field after typing; leaving an untouched one
    // does not.
    void TypedTextIsRedUntilEnterOrLeavingTheFieldConfirmsIt() {
        // A dark palette: confirmed text must take its light text colour, not black.
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Base, QColor(30, 30, 32));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        QApplication::setPalette(dark);
        NumericField field;
        field.ShowValue("1024");
        field.show();
        QSignalSpy confirmed(&field, &NumericField::Confirmed);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&field, &focusOut);
        field.grab(); // paints
        QCOMPARE(field.palette().color(QPalette::Text), QColor(230, 230, 230));
        QCOMPARE(field.palette().color(QPalette::Base), QColor(30, 30, 32));
        QTest::keyClicks(&field, "8");
        QVERIFY(field.isModified());
        field.grab();
        QCOMPARE(field.palette().color(QPalette::Text), QColor(ViewPalette::kModifiedText));
        QCOMPARE(field.palette().color(QPalette::Base), QColor(30, 30, 32));
        QCOMPARE(confirmed.count(), 0);
        QTest::keyClick(&field, Qt::Key_Return);
        QCOMPARE(confirmed.count(), 1);
        // The bar takes the text and clears the mark.
        field.ClearModifiedMark();
        field.grab();
        QCOMPARE(field.palette().color(QPalette::Text), QColor(230, 230, 230));
        QTest::keyClicks(&field, "12");
        QApplication::sendEvent(&field, &focusOut);
        QCOMPARE(confirmed.count(), 2);
        QApplication::setPalette(light);
    }

    void RefusedCharactersAreDroppedAndTheOthersKept() {
        NumericField field;
        field.SetValidator(&NumericField::IsDigit);
        QTest::keyClicks(&field, "1a2.3");
        QCOMPARE(field.text(), QString("123"));
        NumericField number;
        number.SetValidator(&NumericField::IsNumberCharacter);
        QTest::keyClicks(&number, "-1.5e3x");
        QCOMPARE(number.text(), QString("-1.5e3"));
        NumericField free;
        QTest::keyClicks(&free, "abc");
        QCOMPARE(free.text(), QString("abc"));
    }

    void HandleTriangleLightsUpWhenHighlighted() {
        AnchorHandle handle(AnchorHandle::Side::Left);
        handle.resize(9, 14);
        const QImage plain = handle.grab().toImage();
        handle.SetHighlighted(true);
        const QImage hot = handle.grab().toImage();
        const qreal ratio = plain.devicePixelRatio();
        const QPoint inTriangle(static_cast<int>(7 * ratio), static_cast<int>(7 * ratio));
        QCOMPARE(plain.pixel(inTriangle) & 0xFFFFFF, ViewPalette::kBrushLight & 0xFFFFFF);
        QCOMPARE(hot.pixel(inTriangle) & 0xFFFFFF, ViewPalette::kHandleHot & 0xFFFFFF);
        // The anchor line runs along the handle's left side.
        QCOMPARE(plain.pixel(0, static_cast<int>(2 * ratio)) & 0xFFFFFF,
                 ViewPalette::kHandleLine & 0xFFFFFF);
        QVERIFY(handle.testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void HoverControlCoolsDownOnceTheCursorHasLeft() {
        HoverControl control;
        control.setGeometry(100, 100, 50, 30);
        control.show();
        QVERIFY(QTest::qWaitForWindowExposed(&control));
        QSignalSpy hot(&control, &HoverControl::HotChanged);
        QCursor::setPos(control.mapToGlobal(QPoint(10, 10)));
        Hover(&control, QPoint(10, 10));
        QVERIFY(control.IsHot());
        QTest::qWait(3 * HoverControl::kWatchMilliseconds);
        QVERIFY(control.IsHot());
        QCursor::setPos(control.mapToGlobal(QPoint(400, 400)));
        QTRY_VERIFY_WITH_TIMEOUT(!control.IsHot(), 1000);
        QCOMPARE(hot.count(), 2);
    }

    void InPlaceFieldReturnsTheFocusAndTellsWhetherItWasCancelled() {
        QWidget window;
        QListWidget list(&window);
        InPlaceListField field(&list, &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy finished(&field, &InPlaceListField::Finished);
        field.Begin("0.5");
        QTest::keyClicks(&field, "7");
        QTest::keyClick(&field, Qt::Key_Return);
        QCOMPARE(finished.last().at(0).toBool(), false);
        QVERIFY(!field.Cancelled());
        QVERIFY(list.hasFocus());
        field.Begin("0.5");
        QTest::keyClick(&field, Qt::Key_Escape);
        QVERIFY(field.Cancelled());
        QCOMPARE(finished.last().at(0).toBool(), true);
        QVERIFY(list.hasFocus());
    }

    void LinkLabelInNotifyModeOnlyTellsItsParent() {
        LinkLabel label("https://example.invalid/manual");
        label.resize(200, 20);
        label.SetNotifyMode(true);
        QSignalSpy notified(&label, &LinkLabel::Notified);
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(notified.count(), 1);
        QCOMPARE(notified.first().at(0).toInt(), LinkLabel::kNotifyCode);
    }
};

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
