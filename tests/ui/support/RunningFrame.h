#pragma once

#include "app/ToolSession.h"
#include "support/TempWorkspace.h"
#include "support/WorkspaceFacts.h"
#include "ui/MainFrame.h"
#include "ui/support/WidgetInput.h"

#include <functional>
#include <memory>
#include <string>

class QAction;
class QLineEdit;

// A main window started by the host in a prepared workspace; `setup` runs before the start,
// when the workspace's context file and registry can still be arranged. The tests begin
// after the first activation, which re-reads the active segment.
struct RunningFrame {
    explicit RunningFrame(const std::string& commandLine = "wavesmith",
                          const std::function<void(TempWorkspace&)>& setup = {},
                          const std::string& family = "QW2182");

    QAction* Action(int id) const { return frame->Action(id); }
    QLineEdit* Field(int id) const { return frame->GetBarControl(id); }

    TempWorkspace workspace;
    WorkspaceFacts facts;
    ToolSession session;
    std::unique_ptr<MainFrame> frame;
};
