#include "ui/support/RunningFrame.h"

#include <QTest>

RunningFrame::RunningFrame(const std::string& commandLine,
                           const std::function<void(TempWorkspace&)>& setup,
                           const std::string& family)
    : workspace(family), facts(workspace, commandLine),
      session(facts, workspace.ui, workspace.bus) {
    if (setup) {
        setup(workspace);
    }
    frame = MainFrame::Launch(session);
    if (frame != nullptr) {
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }
}
