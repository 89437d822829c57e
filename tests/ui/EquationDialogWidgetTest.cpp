#include "ui/EquationDialogWidget.h"
#include "synthesis/EquationDialog.h"
#include "synthesis/GeneratorFixture.h"
#include "ui/support/WidgetInput.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// The Equation Editor as the user drives it.
class EquationDialogWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void PreviewThenCancelLeavesSamplesAndAnchors();
    void TypedEquationIsPreviewedAndStored();
    void RemoveTakesTheSelectedEntryOut();
    void LevelAdjusterEnablesScaleOnlyInManual();
    void OperandsButtonShowsAndHidesTheHelpPanel();
    void BrowseAppendsTheChosenFile();
};

void EquationDialogWidgetTest::PreviewThenCancelLeavesSamplesAndAnchors() {
    GeneratorFixture fixture;
    const auto before = fixture.Samples();
    EquationDialog form(fixture.document);
    form.Initialize();
    EquationDialogWidget dialog(form);
    dialog.show();
    QCOMPARE(dialog.Edit(1)->text(), QStringLiteral("999"));
    QTest::mouseClick(Button(dialog, "preview"), Qt::LeftButton);
    QVERIFY(fixture.workspace.ui.messages.empty());
    QVERIFY(fixture.Samples() != before);
    QTest::mouseClick(Button(dialog, "cancel"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(fixture.Samples() == before);
    QCOMPARE(fixture.view.LeftAnchor(), 0.0);
    QCOMPARE(fixture.view.RightAnchor(), 999.0);
}

void EquationDialogWidgetTest::TypedEquationIsPreviewedAndStored() {
    GeneratorFixture fixture;
    EquationDialog form(fixture.document);
    form.Initialize();
    EquationDialogWidget dialog(form);
    dialog.show();
    QLineEdit* equation = dialog.Equation()->lineEdit();
    Type(equation, QStringLiteral("p * 2"));
    QCOMPARE(form.EquationText(), std::string("p * 2"));
    Type(dialog.Edit(2), QStringLiteral("-100"));
    Type(dialog.Edit(3), QStringLiteral("100"));
    QTest::mouseClick(Button(dialog, "preview"), Qt::LeftButton);
    QCOMPARE(fixture.document.Samples().At(0), -100.0);

    QTest::mouseClick(Button(dialog, "store"), Qt::LeftButton);
    QCOMPARE(dialog.Equation()->count(), 2);
    QCOMPARE(dialog.Equation()->currentIndex(), 1);
    QCOMPARE(dialog.Equation()->currentText(), QStringLiteral("p * 2"));
}

void EquationDialogWidgetTest::RemoveTakesTheSelectedEntryOut() {
    GeneratorFixture fixture;
    IniFile equations(fixture.workspace.state.startupFolder + "Sm.Equ");
    equations.Write("Expr", "Expr0", "p");
    equations.Write("Expr", "Expr1", "-p");
    equations.Write("ExprInd", "ExprInd", "1");
    EquationDialog form(fixture.document);
    form.Initialize();
    EquationDialogWidget dialog(form);
    QCOMPARE(dialog.Equation()->currentText(), QStringLiteral("-p"));
    QTest::mouseClick(Button(dialog, "remove"), Qt::LeftButton);
    QCOMPARE(dialog.Equation()->count(), 1);
    QCOMPARE(dialog.Equation()->currentText(), QStringLiteral("p"));
}

void EquationDialogWidgetTest::LevelAdjusterEnablesScaleOnlyInManual() {
    GeneratorFixture fixture;
    EquationDialog form(fixture.document);
    form.Initialize();
    EquationDialogWidget dialog(form);
    dialog.show();
    QPushButton* scale = Button(dialog, "scale");
    QVERIFY(Child<QRadioButton>(dialog, "auto")->isChecked());
    QVERIFY(!scale->isEnabled());
    QTest::mouseClick(Child<QRadioButton>(dialog, "manual"), Qt::LeftButton);
    QVERIFY(!form.AutoMode());
    QVERIFY(scale->isEnabled());
    QCOMPARE(scale->text(), QStringLiteral("&Scale"));
    QTest::mouseClick(scale, Qt::LeftButton);
    QCOMPARE(scale->text(), QStringLiteral("&Original"));
    QVERIFY(!form.ScaleFlag());
}

void EquationDialogWidgetTest::OperandsButtonShowsAndHidesTheHelpPanel() {
    GeneratorFixture fixture;
    EquationDialog form(fixture.document);
    form.Initialize();
    EquationDialogWidget dialog(form);
    dialog.show();
    QPushButton* operands = Button(dialog, "operands");
    QVERIFY(!dialog.HelpPanel()->isVisible());
    QCOMPARE(operands->text(), QStringLiteral("Operands"));
    const QSize reduced = dialog.size();
    QTest::mouseClick(operands, Qt::LeftButton);
    QVERIFY(dialog.HelpPanel()->isVisible());
    QCOMPARE(operands->text(), QStringLiteral("Reduce <<"));
    // The panel opens below the fields: the dialog grows downwards, the fields keep
    // their places.
    dialog.layout()->activate();
    QCOMPARE(dialog.width(), reduced.width());
    QVERIFY(dialog.height() > reduced.height());
    QTest::mouseClick(operands, Qt::LeftButton);
    QVERIFY(!dialog.HelpPanel()->isVisible());
    QCOMPARE(operands->text(), QStringLiteral("Operands>>"));
}

void EquationDialogWidgetTest::BrowseAppendsTheChosenFile() {
    GeneratorFixture fixture;
    fixture.workspace.WriteFile("ramp.wav", std::string("\x01\x00\x02\x00", 4));
    fixture.workspace.ui.fileAnswers.push_back(
        FileChoice{fixture.workspace.state.startupFolder + "ramp.wav", 0});
    EquationDialog form(fixture.document);
    form.Initialize();
    EquationDialogWidget dialog(form);
    Type(dialog.Equation()->lineEdit(), QStringLiteral("3*"));
    QTest::mouseClick(Button(dialog, "browse"), Qt::LeftButton);
    QCOMPARE(dialog.Equation()->currentText(), QStringLiteral("3*ramp.wav"));
}

QTEST_MAIN(EquationDialogWidgetTest)
#include "EquationDialogWidgetTest.moc"
