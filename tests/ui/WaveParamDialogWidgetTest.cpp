#include "ui/WaveParamDialogWidget.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/GeneratorFixture.h"
#include "synthesis/WaveParamDialog.h"
#include "synthesis/WaveformKinds.h"
#include "ui/GenerationProgress.h"
#include "ui/support/WidgetInput.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTest>

#include <memory>
#include <string_view>

namespace {

QStringList GroupTitles(QWidget& dialog) {
    QStringList titles;
    for (auto* group : dialog.findChildren<QGroupBox*>()) {
        titles << group->title();
    }
    return titles;
}

// The initialized form of the waveform kind named `kind`, over the fixture's document.
std::unique_ptr<WaveParamDialog> FormOf(GeneratorFixture& fixture, std::string_view kind) {
    auto form = GeneratorCommands::CreateParamForm(fixture.document,
                                                   *GeneratorCommands::CommandOfName(kind));
    form->Initialize();
    return form;
}

} // namespace

// The parameter dialogs as the user drives them: typing into the fields, Preview, Default,
// OK and Cancel, with the form behind them.
class WaveParamDialogWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void PreviewThenCancelLeavesSamplesAndAnchors_data() {
        QTest::addColumn<QString>("word");
        for (const WaveformKind& kind : WaveformKinds::All()) {
            if (kind.makeParamForm != nullptr) {
                QTest::newRow(kind.section) << QString(kind.word);
            }
        }
    }

    void PreviewThenCancelLeavesSamplesAndAnchors() {
        QFETCH(QString, word);
        GeneratorFixture fixture;
        fixture.view.SetAnchors(200, 700);
        const auto before = fixture.Samples();
        const auto form = FormOf(fixture, word.toStdString());
        WaveParamDialogWidget dialog(*form);
        dialog.show();
        QCOMPARE(fixture.view.LeftAnchor(), 200.0);

        Type(dialog.Edit(0), QStringLiteral("100"));
        Type(dialog.Edit(1), QStringLiteral("900"));
        Click(dialog, "preview");
        QVERIFY(fixture.workspace.ui.messages.empty());
        QVERIFY(fixture.Samples() != before);
        QCOMPARE(fixture.view.LeftAnchor(), 100.0);
        Click(dialog, "preview");

        Click(dialog, "cancel");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(fixture.Samples() == before);
        QCOMPARE(fixture.view.LeftAnchor(), 200.0);
        QCOMPARE(fixture.view.RightAnchor(), 700.0);
    }

    void FieldsAreBuiltFromTheFamilyFile() {
        GeneratorFixture fixture;
        const auto form = FormOf(fixture, "exponent");
        WaveParamDialogWidget dialog(*form);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Exponential Wave"));
        QCOMPARE(GroupTitles(dialog), (QStringList{"Anchor", "Waveform Amplitude", "Parameters"}));
        QCOMPARE(dialog.Edit(1)->text(), QStringLiteral("999"));
        QCOMPARE(dialog.Edit(5)->text(), QStringLiteral("100"));
        QVERIFY(dialog.Edit(6) == nullptr);
        QVERIFY(dialog.CheckBox(6) != nullptr);
        QCOMPARE(dialog.CheckBox(6)->text(), QStringLiteral("Invert"));
        QTest::mouseClick(dialog.CheckBox(6), Qt::LeftButton);
        QVERIFY(form->Field(6).checked);

        // In FM the levels are the peak deviation.
        GeneratorFixture fm("QW2182", OperatingMode::Fm);
        const auto noise = FormOf(fm, "noise");
        WaveParamDialogWidget fmDialog(*noise);
        QCOMPARE(GroupTitles(fmDialog), (QStringList{"Anchor", "Peak Deviation"}));
        QCOMPARE(fmDialog.windowTitle(), QStringLiteral("Noise"));
    }

    void RefusedValueAndDefaultShowTheFormsTexts() {
        GeneratorFixture fixture;
        const auto form = FormOf(fixture, "sine");
        WaveParamDialogWidget dialog(*form);
        Type(dialog.Edit(4), QStringLiteral("abc"));
        QCOMPARE(form->Field(4).text, std::string("abc"));
        Click(dialog, "preview");
        QCOMPARE(fixture.workspace.ui.messages.size(), std::size_t(1));
        QCOMPARE(dialog.Edit(4)->text(), QStringLiteral("1.00"));

        Type(dialog.Edit(5), QStringLiteral("45"));
        Click(dialog, "default");
        QCOMPARE(dialog.Edit(5)->text(), QStringLiteral("0"));
        QCOMPARE(dialog.Edit(4)->text(), QStringLiteral("1"));
    }

    void OkCommitsTheWaveformAndCloses() {
        GeneratorFixture fixture;
        const auto form = FormOf(fixture, "square");
        WaveParamDialogWidget dialog(*form);
        dialog.show();
        dialog.move(150, 90);
        Type(dialog.Edit(1), QStringLiteral("499"));
        Click(dialog, "ok");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(fixture.document.Undo().CanUndo());
        QCOMPARE(fixture.Stored("Prv_bgn"), std::string("500"));
        // The dialog's own area is stored, and the next opening puts it there again: storing the
        // frame's corner moved each opening by the frame.
        const QString position =
            QString::fromStdString(fixture.workspace.store.ReadHostValue("DrawRect", "SmOrg"));
        const QPoint corner = dialog.geometry().topLeft();
        QCOMPARE(position, QStringLiteral("%1 %2").arg(corner.x()).arg(corner.y()));
        const auto again = FormOf(fixture, "square");
        WaveParamDialogWidget reopened(*again);
        reopened.show();
        QCOMPARE(reopened.geometry().topLeft(), corner);
    }

    void CancelInTheProgressDialogRestoresTheSamples() {
        GeneratorFixture fixture;
        const auto before = fixture.Samples();
        const auto form = FormOf(fixture, "sine");
        WaveParamDialogWidget dialog(*form);
        GenerationProgress progress(&dialog, 0);
        QVERIFY(progress.Report(0.0));
        QVERIFY(progress.DialogShown());
        auto* bar = dialog.findChild<QProgressDialog*>();
        QVERIFY(bar != nullptr);
        QVERIFY(bar->isVisible());
        bar->cancel();
        QVERIFY(!form->Preview(progress.Callback()));
        QVERIFY(fixture.Samples() == before);

        GenerationProgress patient(&dialog, 60000);
        QVERIFY(form->Preview(patient.Callback()));
        QVERIFY(!patient.DialogShown());
    }
};

QTEST_MAIN(WaveParamDialogWidgetTest)
#include "WaveParamDialogWidgetTest.moc"
