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

#include <functional>
#include <memory>

namespace {

// The editor opened over a fresh generator fixture; `prepare` runs before the form reads its
// files.
struct EquationRig {
    explicit EquationRig(const std::function<void(GeneratorFixture&)>& prepare = {}) {
        if (prepare) {
            prepare(fixture);
        }
        form.Initialize();
        dialog = std::make_unique<EquationDialogWidget>(form);
        dialog->show();
    }

    GeneratorFixture fixture;
    EquationDialog form{fixture.document};
    std::unique_ptr<EquationDialogWidget> dialog;
};

} // namespace

// The Equation Editor as the user drives it.
class EquationDialogWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void TypedEquationIsPreviewedAndStoredAndCancelUndoesThePreview() {
        EquationRig rig;
        EquationDialogWidget& dialog = *rig.dialog;
        const auto before = rig.fixture.Samples();
        QCOMPARE(dialog.Edit(1)->text(), QStringLiteral("999"));
        Type(dialog.Equation()->lineEdit(), QStringLiteral("p * 2"));
        QCOMPARE(rig.form.EquationText(), std::string("p * 2"));
        Type(dialog.Edit(2), QStringLiteral("-100"));
        Type(dialog.Edit(3), QStringLiteral("100"));
        Click(dialog, "preview");
        QVERIFY(rig.fixture.workspace.ui.messages.empty());
        QCOMPARE(rig.fixture.document.Samples().At(0), -100.0);

        Click(dialog, "store");
        QCOMPARE(dialog.Equation()->count(), 2);
        QCOMPARE(dialog.Equation()->currentIndex(), 1);
        QCOMPARE(dialog.Equation()->currentText(), QStringLiteral("p * 2"));

        Click(dialog, "cancel");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        // The anchors too: EquationDialogTest.CancelRestoresTheSamplesAndLeavesTheAnchors.
        QVERIFY(rig.fixture.Samples() == before);
    }

    void RemoveTakesTheSelectedEntryOut() {
        EquationRig rig([](GeneratorFixture& fixture) {
            IniFile equations(fixture.workspace.state.startupFolder + "Sm.Equ");
            equations.Write("Expr", "Expr0", "p");
            equations.Write("Expr", "Expr1", "-p");
            equations.Write("ExprInd", "ExprInd", "1");
        });
        QComboBox* equation = rig.dialog->Equation();
        QCOMPARE(equation->currentText(), QStringLiteral("-p"));
        Click(*rig.dialog, "remove");
        QCOMPARE(equation->count(), 1);
        QCOMPARE(equation->currentText(), QStringLiteral("p"));
    }

    void LevelAdjusterEnablesScaleOnlyInManual() {
        EquationRig rig;
        EquationDialogWidget& dialog = *rig.dialog;
        QPushButton* scale = Child<QPushButton>(dialog, "scale");
        QVERIFY(Child<QRadioButton>(dialog, "auto")->isChecked());
        QVERIFY(!scale->isEnabled());
        Click(dialog, "manual");
        QVERIFY(!rig.form.AutoMode());
        QVERIFY(scale->isEnabled());
        QCOMPARE(scale->text(), QStringLiteral("&Scale"));
        QTest::mouseClick(scale, Qt::LeftButton);
        QCOMPARE(scale->text(), QStringLiteral("&Original"));
    }

    void OperandsButtonShowsAndHidesTheHelpPanel() {
        EquationRig rig;
        EquationDialogWidget& dialog = *rig.dialog;
        QPushButton* operands = Child<QPushButton>(dialog, "operands");
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
    }

    void BrowseAppendsTheChosenFile() {
        EquationRig rig([](GeneratorFixture& fixture) {
            fixture.workspace.WriteFile("ramp.wav", std::string("\x01\x00\x02\x00", 4));
            fixture.workspace.ui.fileAnswers.push_back(
                FileChoice{fixture.workspace.state.startupFolder + "ramp.wav", 0});
        });
        Type(rig.dialog->Equation()->lineEdit(), QStringLiteral("3*"));
        Click(*rig.dialog, "browse");
        QCOMPARE(rig.dialog->Equation()->currentText(), QStringLiteral("3*ramp.wav"));
    }
};

QTEST_MAIN(EquationDialogWidgetTest)
#include "EquationDialogWidgetTest.moc"
