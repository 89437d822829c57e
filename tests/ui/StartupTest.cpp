#include "app/ToolSession.h"
#include "document/WaveDoc.h"
#include "support/TempWorkspace.h"
#include "ui/MainFrame.h"
#include "ui/support/WorkspaceFacts.h"

#include <QApplication>
#include <QTest>

#include <filesystem>

// The program as the host starts it: in a prepared workspace, in the mode its command line
// names; and as a user who starts it by hand, with no context file at all.
class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void StartsInEachModeWithItsTitle_data();
    void StartsInEachModeWithItsTitle();
    void MissingContextFileEndsWithMessageAndNoWindow();
};

void StartupTest::StartsInEachModeWithItsTitle_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("file"); // the active segment's file (3), named in the title
    QTest::newRow("standard") << "/opt/wavesmith/wavesmith"
                              << "Wavesmith"
                              << "TemS3.wa0";
    QTest::newRow("fm") << "/opt/wavesmith/wavesmith fms"
                        << "FM Wavesmith"
                        << "FmDef.wvf";
    QTest::newRow("pulse, which wins over fm") << "/opt/wavesmith/wavesmith FMS PLS"
                                               << "Pulsesmith" << QString();
}

void StartupTest::StartsInEachModeWithItsTitle() {
    QFETCH(QString, commandLine);
    QFETCH(QString, title);
    QFETCH(QString, file);
    TempWorkspace workspace;
    workspace.SetContext("Settings", "ActiveSeg", "3 1");
    WorkspaceFacts facts(workspace, commandLine.toStdString());
    ToolSession session(facts, workspace.ui, workspace.bus);

    const std::unique_ptr<MainFrame> frame = MainFrame::Launch(session);

    QVERIFY(frame != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    QVERIFY2(frame->windowTitle().startsWith(title), qPrintable(frame->windowTitle()));
    if (file.isEmpty()) {
        QCOMPARE(frame->windowTitle(), title);
    } else {
        QVERIFY2(frame->windowTitle().contains(file), qPrintable(frame->windowTitle()));
    }
    QVERIFY(workspace.ui.messages.empty());
    if (!file.isEmpty()) {
        QCOMPARE(session.Document().Length(), 1024.0);
    }
}

void StartupTest::MissingContextFileEndsWithMessageAndNoWindow() {
    TempWorkspace workspace;
    const std::string handStarted = workspace.Folder() + "elsewhere";
    std::filesystem::create_directories(handStarted);
    WorkspaceFacts facts(handStarted, "/opt/wavesmith/wavesmith");
    ToolSession session(facts, workspace.ui, workspace.bus);

    const std::unique_ptr<MainFrame> frame = MainFrame::Launch(session);

    QVERIFY(frame == nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        QVERIFY(!widget->isVisible());
    }
    QCOMPARE(workspace.ui.messages.size(), std::size_t{1});
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
