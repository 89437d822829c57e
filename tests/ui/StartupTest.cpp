#include "app/ToolSession.h"
#include "support/TempWorkspace.h"
#include "ui/MainFrame.h"
#include "ui/support/WorkspaceFacts.h"

#include <QApplication>
#include <QTest>

#include <filesystem>

// The program as a user starts it by hand, with no context file at all (the start in each
// mode is the main window test's table).
class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void MissingContextFileEndsWithMessageAndNoWindow();
};

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
