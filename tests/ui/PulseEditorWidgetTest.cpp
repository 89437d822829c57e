#include "ui/PulseEditorWidget.h"
#include "core/StringTable.h"
#include "platform/qt/QtUserInterface.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseOptions.h"
#include "support/TempWorkspace.h"
#include "ui/InPlaceListField.h"
#include "ui/PulseItemTable.h"
#include "ui/PulseOptionsWidget.h"
#include "ui/support/WidgetInput.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

// The editor's window over a design opened as the view opens it. QW2182 with an instrument
// amplitude of 1 V: levels -0.5 .. 0.5, MaxLoopNo 1048575. A new design is one empty
// Time/Level Points section in msec.
struct EditorRig {
    explicit EditorRig(QWidget* owner = nullptr, UserInterface* ui = nullptr)
        : services{workspace.state, workspace.store, ui != nullptr ? *ui : workspace.ui,
                   workspace.bus},
          design(services) {
        design.Open(0);
        form = std::make_unique<PulseEditor>(design);
        window = std::make_unique<PulseEditorWidget>(*form, owner);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    PulseItemTable& Table() const { return *window->Table(); }
    QString Cell(int line, int column) const { return Table().item(line, column)->text(); }
    std::string Key(int section, const std::string& key) const {
        return workspace.Context("Pulse" + std::to_string(section) + "-ch1", key);
    }
    // Clicks a cell, which opens the in-place field over it, and types into the field.
    void TypeInto(int line, int column, const QString& text, Qt::Key end = Qt::Key_Return) {
        const QRect cell = Table().visualRect(Table().model()->index(line, column));
        QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, cell.center());
        InPlaceListField* field = Table().Field();
        QVERIFY(field->isVisible());
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, end);
    }
    void TypeLine(int line, const QString& time, const QString& level) {
        TypeInto(line, 1, time);
        TypeInto(line, 2, level);
    }

    TempWorkspace workspace{"QW2182", OperatingMode::Pulse};
    AppServices services;
    PulseDesign design;
    std::unique_ptr<PulseEditor> form;
    std::unique_ptr<PulseEditorWidget> window;
};

} // namespace

class PulseEditorWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void ADesignIsBuiltFromNothingByInPlaceEditsAndTabMovesThroughTheCells() {
        EditorRig rig;
        QSignalSpy changed(rig.window.get(), &PulseEditorWidget::DesignChanged);
        rig.TypeLine(0, "0", "0.25");
        Click(*rig.window, "appendLine");
        QCOMPARE(rig.Table().rowCount(), 2);
        rig.TypeLine(1, "2", "-0.5");
        QCOMPARE(rig.Key(0, "Node1-sub1"), std::string("0.002")); // typed in msec, kept in seconds
        QCOMPARE(rig.Cell(1, 1), QString("2"));
        QCOMPARE(Child<QLineEdit>(*rig.window, "duration")->text(), QString("2"));
        QVERIFY(changed.count() >= 4);

        // What is typed after Tab or Shift+Tab goes to the next or the previous cell, across
        // line ends; past the last cell the edit ends with the text stored.
        InPlaceListField* field = rig.Table().Field();
        rig.Table().BeginEdit(0, 2);
        const std::pair<const char*, bool> steps[] = {
            {"0.125", false}, {"3", true}, {"0.5", false}, {"4", false}, {"0.375", false}};
        for (const auto& [text, back] : steps) {
            QTest::keyClicks(field, text);
            QTest::keyClick(field, Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
        }
        QCOMPARE(rig.Key(0, "Node0-sub2"), std::string("0.5"));
        QCOMPARE(rig.Key(0, "Node1-sub1"), std::string("0.004"));
        QCOMPARE(rig.Key(0, "Node1-sub2"), std::string("0.375"));
        QVERIFY(!field->isVisible());

        // A second section starts where the first one ends, at 4 ms (the design's duration over
        // its sections is PulseDesignDerived's).
        QVERIFY(rig.form->AppendSection());
        rig.window->Refresh();
        QVERIFY(rig.window->windowTitle().startsWith("Section 2"));
        QCOMPARE(Child<QLabel>(*rig.window, "start")->text(), QString("4"));
        QVERIFY(rig.workspace.ui.MessageIds().empty());
    }

    void EscapeDropsTheEditAndNeitherEscapeNorEnterClosesTheWindow() {
        EditorRig rig;
        rig.TypeLine(0, "0", "0.25");
        rig.TypeInto(0, 2, "0.4", Qt::Key_Escape);
        QVERIFY(!rig.Table().Field()->isVisible());
        QCOMPARE(rig.Cell(0, 2), QString("0.25"));
        QCOMPARE(rig.Key(0, "Node0-sub2"), std::string("0.25"));
        QVERIFY(Child<QPushButton>(*rig.window, "appendLine")->isEnabled()); // the edit has ended

        for (QWidget* target :
             {static_cast<QWidget*>(&rig.Table()), Child<QWidget>(*rig.window, "repeat"),
              static_cast<QWidget*>(rig.window.get())}) {
            for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                QTest::keyClick(target, key);
                QVERIFY2(rig.window->isVisible(), qPrintable(target->objectName()));
            }
        }
    }

    // The box of a refused cell belongs to the window where the text was typed, and the cell
    // shows the stored value again. Which texts are refused, and with which message, is the
    // editor's rule (PulseEditorCells.EachCheckRefusesWithItsMessageInOrder).
    void RefusedTextIsToldOverTheEditorAndTheStoredValueShownAgain() {
        QWidget mainWindow;
        QtUserInterface ui;
        ui.SetParentWindow(&mainWindow);
        EditorRig rig(&mainWindow, &ui);
        rig.TypeLine(0, "0", "0.25");
        rig.Table().BeginEdit(0, 2);
        QTest::keyClicks(rig.Table().Field(), "12abc");
        QWidget* owner = nullptr;
        OnNextDialog([&owner](QWidget* box) {
            owner = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(rig.Table().Field(), Qt::Key_Return);
        QCOMPARE(owner, rig.window.get());
        QCOMPARE(rig.Cell(0, 2), QString("0.25"));
        QCOMPARE(rig.Key(0, "Node0-sub2"), std::string("0.25"));
    }

    // What each answer changes is the editor's rule
    // (PulseEditorTrain.QuestionAnswersDecideWhatHappens); the window asks on a click and, when the
    // change is cancelled, shows the old style again.
    void CancelledTrainChangeShowsTheOldStyleAgain() {
        EditorRig rig;
        rig.TypeLine(0, "0", "0.25");
        rig.workspace.ui.answers.push_back(MessageAnswer::Cancel);
        Click(*rig.window, "train0");
        QCOMPARE(rig.workspace.ui.MessageIds(), std::vector<int>{MsgTrainModeChange});
        QVERIFY(Child<QRadioButton>(*rig.window, "train1")->isChecked());
    }

    void ButtonsFollowSelectionEditingAndTheRepeatField() {
        EditorRig rig;
        auto* insert = Child<QPushButton>(*rig.window, "insertLine");
        auto* remove = Child<QPushButton>(*rig.window, "deleteLine");
        auto* append = Child<QPushButton>(*rig.window, "appendLine");
        auto* apply = Child<QPushButton>(*rig.window, "apply");
        rig.Table().clearSelection();
        QVERIFY(!insert->isEnabled() && !remove->isEnabled() && !apply->isEnabled());
        rig.Table().SelectLine(0);
        QVERIFY(insert->isEnabled() && remove->isEnabled());

        rig.Table().BeginEdit(0, 1);
        QVERIFY(!append->isEnabled());
        QTest::keyClick(rig.Table().Field(), Qt::Key_Escape);
        QVERIFY(append->isEnabled());

        auto* repeat = Child<QLineEdit>(*rig.window, "repeat");
        Type(repeat, "3");
        QVERIFY(apply->isEnabled());
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY(!apply->isEnabled());
        QCOMPARE(rig.Key(0, "Repeat"), std::string("3"));
        // A refused count shows the stored one again; leaving the field applies it too.
        Type(repeat, "0");
        Click(*rig.window, "apply");
        QCOMPARE(rig.workspace.ui.MessageIds(), std::vector<int>{MsgLoopsOutOfRange});
        QCOMPARE(repeat->text(), QString("3"));
        repeat->setFocus();
        Type(repeat, "1048575");
        rig.Table().setFocus();
        QCOMPARE(rig.Key(0, "Repeat"), std::string("1048575"));

        // The table makes the duration; the window closes from its title bar.
        QVERIFY(!Child<QLineEdit>(*rig.window, "duration")->isEnabled());
        QVERIFY(rig.window->isVisible() && !Child<QPushButton>(*rig.window, "close")->isVisible());
    }

    void PlacementAndColumnWidthsAreKeptInTheRegistry() {
        EditorRig rig;
        rig.window->setGeometry(120, 140, 720, 420);
        rig.Table().setColumnWidth(1, 133);
        rig.window->hide();
        const auto placement = rig.form->StoredPlacement();
        QVERIFY(placement.has_value());
        QCOMPARE((*placement)[0], 120);
        QCOMPARE((*placement)[3], 140 + 420);

        PulseEditorWidget again(*rig.form, nullptr);
        again.show();
        QCOMPARE(again.geometry(), QRect(120, 140, 720, 420));
        QCOMPARE(again.Table()->columnWidth(1), 133);
    }

    void WithoutAStoredPlaceTheWindowLeavesItsOwnerUncovered() {
        QWidget owner;
        owner.setGeometry(0, 0, 100, 100);
        owner.show();
        EditorRig rig(&owner);
        QVERIFY(!rig.window->frameGeometry().intersects(owner.frameGeometry()));
    }

    void OptionsDialogWritesOnOkOnlyAndExplainsTheUnboundControls() {
        TempWorkspace workspace("QW2182", OperatingMode::Pulse);
        PulseOptions options(workspace.store);
        options.Read();
        {
            PulseOptionsWidget dialog(options, nullptr);
            QCOMPARE(dialog.Segmentation()->checkedId(), int(PulseOptions::kForceSingleSegment));
            QCOMPARE(dialog.Memory()->checkedId(), int(PulseOptions::kAllMemory));
            QCOMPARE(dialog.findChild<QLineEdit*>("singleStepping")->text(), QString("200"));
            for (QCheckBox* check : dialog.findChildren<QCheckBox*>()) {
                QVERIFY2(!check->isEnabled() && !check->isChecked() && !check->toolTip().isEmpty(),
                         qPrintable(check->text()));
            }
            dialog.Segmentation()->button(PulseOptions::kSequenceAllowed)->click();
            dialog.reject();
        }
        QCOMPARE(workspace.store.ReadHostValue("PulseSmith", "forceSingSeg"), std::string(""));
        PulseOptionsWidget dialog(options, nullptr);
        dialog.Segmentation()->button(PulseOptions::kSequenceAllowed)->click();
        dialog.Memory()->button(PulseOptions::kUnusedMemoryOnly)->click();
        dialog.accept();
        QCOMPARE(workspace.store.ReadHostValue("PulseSmith", "forceSingSeg"), std::string("0"));
        QCOMPARE(workspace.store.ReadHostValue("PulseSmith", "memUse"), std::string("0"));
    }
};

QTEST_MAIN(PulseEditorWidgetTest)
#include "PulseEditorWidgetTest.moc"
