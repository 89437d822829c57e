#pragma once

#include "core/OperatingMode.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// Builds the main window's commands from the command table: one action per command of
// the mode (caption, prompts, icon, accelerator, check mark), the menu bar and the tool
// bar bands. The window keeps the actions by command id.
class MainMenuBuilder {
public:
    // Stands for a separator in a list of command ids.
    static constexpr int kSeparator = 0;

    MainMenuBuilder(QMainWindow& window, OperatingMode mode, std::map<int, QAction*>& actions);

    // The mode's actions; a triggered one calls `run` with its command id.
    void BuildActions(const std::function<void(int)>& run);
    // The menu bar; `refresh` runs before a menu opens. Returns the Edit menu (none in the
    // pulse designer), which is also the view's context menu.
    QMenu* BuildMenus(const std::function<void()>& refresh);
    // A band in the top tool bar area, captioned like the command that toggles it.
    QToolBar* AddBand(int toggleId, const char* objectName, std::initializer_list<int> commandIds);

private:
    QAction* MakeAction(int commandId, const std::function<void(int)>& run);
    QMenu* AddMenu(const QString& title, const std::vector<int>& commandIds,
                   const std::function<void()>& refresh);
    QAction* Action(int commandId) const;

    QMainWindow& window_;
    OperatingMode mode_;
    std::map<int, QAction*>& actions_;
};
