#include "platform/qt/QtUserInterface.h"

#include "platform/qt/QtProgressDisplay.h"
#include "ui/support/WidgetInput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

// The Qt faces of the core's questions: what the user sees and what the core gets back.
class QtUserInterfaceTest : public QObject {
    Q_OBJECT

private slots:
    void MessageBoxShowsTextUnderItsCaptionWholeAndClosingItAnswersNo() {
        QtUserInterface ui;
        ui.SetCaption("FM Wavesmith");
        // Answered first, so that a failed comparison cannot leave the box waiting.
        OnNextDialog([](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box != nullptr);
            box->button(QMessageBox::Yes)->click();
            QCOMPARE(box->windowTitle(), QString("FM Wavesmith"));
            QCOMPARE(box->text(),
                     QString("Storing in Temporary folder is not recommended.\nSave ?"));
            QCOMPARE(box->buttons().size(), 2);
        });

        const MessageAnswer answer =
            ui.ShowText("Storing in Temporary folder is not recommended.\nSave ?", "",
                        MessageButtons::YesNo, MessageIcon::Question);

        QCOMPARE(answer, MessageAnswer::Yes);

        // A caption of its own replaces the program's, and the box is wide enough for it.
        const QString longCaption =
            QStringLiteral("Value out of range. Previous value will be restored.");
        int boxWidth = 0;
        OnNextDialog([&boxWidth](QWidget* dialog) {
            boxWidth = dialog->width();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(ui.ShowText("Replace?", longCaption.toStdString(), MessageButtons::YesNo),
                 MessageAnswer::No);
        QFont bold = QApplication::font();
        bold.setBold(true);
        // The title bar also holds the window's icon and buttons.
        QVERIFY2(boxWidth >= QFontMetrics(bold).horizontalAdvance(longCaption) + 100,
                 qPrintable(QString::number(boxWidth)));
    }

    void SaveDialogStartsAtFolderNameAndFilterAndAddsFilterExtension() {
        QTemporaryDir folder;
        FileQuestion question;
        question.filters = {{"Binary   (*.wav)", {".wav"}},
                            {"ASCII -space delimited (*.asc)", {".asc"}},
                            {"Comma delimited(*csv)", {".csv"}}};
        question.filterIndex = 1;
        question.folder = folder.path().toStdString() + "/";
        question.fileName = "ramp";
        question.defaultExtension = "wav";
        QtUserInterface ui;
        OnNextDialog([&folder](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(files != nullptr);
            files->selectFile("ramp");
            QMetaObject::invokeMethod(files, "accept");
            // The dialog shows each description with its runs of blanks collapsed.
            QCOMPARE(files->nameFilters(), QStringList({"Binary (*.wav) (*.wav)",
                                                        "ASCII -space delimited (*.asc) (*.asc)",
                                                        "Comma delimited(*csv) (*.csv)"}));
            QCOMPARE(files->selectedNameFilter(), QString("ASCII -space delimited (*.asc)"));
            QCOMPARE(files->directory().absolutePath(), QDir(folder.path()).absolutePath());
        });

        const std::optional<FileChoice> choice = ui.AskSaveFile(question);

        QVERIFY(choice.has_value());
        QCOMPARE(choice->filterIndex, 1);
        QCOMPARE(QString::fromStdString(choice->path), folder.filePath("ramp.asc"));
    }

    void OpenDialogWithDroppedPathAsksNothing() {
        QtUserInterface ui;
        ui.AnswerNextOpenWith("/data/scope.001");
        FileQuestion question;
        question.filterIndex = 2;

        const std::optional<FileChoice> dropped = ui.AskOpenFile(question);

        QVERIFY(dropped.has_value());
        QCOMPARE(QString::fromStdString(dropped->path), QString("/data/scope.001"));
        QCOMPARE(dropped->filterIndex, 2);
        // Only the next question is answered: the one after it opens the dialog again.
        OnNextDialog([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
        QVERIFY(!ui.AskOpenFile(question).has_value());
    }

    void ProgressShowsNothingBeforeItsDelayThenStopsOnCancel() {
        QtProgressDisplay quick(nullptr, "Wavesmith", "Importing in.asc", 3600 * 1000);
        QVERIFY(quick.Report(0.5));
        QVERIFY(!quick.DialogShown());

        QtProgressDisplay slow(nullptr, "Wavesmith", "Importing in.asc", 0);
        QVERIFY(slow.Report(0.25));
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        QVERIFY(slow.DialogShown());
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->labelText(), QString("Importing in.asc..."));
        QCOMPARE(dialog->value(), 250);
        dialog->cancel();
        QVERIFY(!slow.Report(0.5));
    }
};

QTEST_MAIN(QtUserInterfaceTest)
#include "QtUserInterfaceTest.moc"
