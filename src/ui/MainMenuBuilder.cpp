#include "ui/MainMenuBuilder.h"

#include "synthesis/WaveformKinds.h"
#include "ui/BarIcons.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/FrameMode.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <vector>

namespace {

using namespace CommandId;

constexpr int kSeparator = MainMenuBuilder::kSeparator;
constexpr int kBarIconSize = 24;

bool IsCheckable(int commandId) {
    switch (commandId) {
    case kFileBar:
    case kEditBar:
    case kParameterBar:
    case kInstrumentBar:
    case kMarkerBar:
    case kChannel1:
    case kChannel2:
    case kAutoline:
    case kSketch:
        return true;
    default:
        return false;
    }
}

} // namespace

MainMenuBuilder::MainMenuBuilder(QMainWindow& window, const FrameMode& mode,
                                 std::map<int, QAction*>& actions)
    : window_(window), mode_(mode), actions_(actions) {}

bool MainMenuBuilder::IsWaveCommand(int commandId) {
    return WaveformKinds::Find(commandId) != nullptr;
}

std::vector<int> MainMenuBuilder::WaveCommands() {
    std::vector<int> ids;
    for (const WaveformKind& kind : WaveformKinds::All()) {
        ids.push_back(kind.commandId);
    }
    return ids;
}

// The Wave menu: the waveform kinds in their order, with their separators.
std::vector<int> MainMenuBuilder::WaveMenuItems() {
    std::vector<int> items;
    for (const WaveformKind& kind : WaveformKinds::All()) {
        if (kind.separatorBefore) {
            items.push_back(kSeparator);
        }
        items.push_back(kind.commandId);
    }
    return items;
}

void MainMenuBuilder::BuildActions(const std::function<void(int)>& run) {
    for (int id : mode_.CommandIds()) {
        MakeAction(id, run);
    }
}

QAction* MainMenuBuilder::MakeAction(int commandId, const std::function<void(int)>& run) {
    auto* action = new QAction(CommandTable::MenuText(commandId, mode_), &window_);
    action->setObjectName(QStringLiteral("command%1").arg(commandId));
    action->setData(commandId);
    action->setStatusTip(CommandTable::StatusText(commandId, mode_));
    const QString toolTip = CommandTable::ToolTip(commandId, mode_);
    if (!toolTip.isEmpty()) {
        action->setToolTip(toolTip);
    }
    action->setIcon(BarIcons::ForCommand(commandId));
    action->setIconVisibleInMenu(false);
    action->setCheckable(IsCheckable(commandId));
    action->setShortcut(mode_.Shortcut(commandId));
    QObject::connect(action, &QAction::triggered, &window_, [run, commandId] { run(commandId); });
    actions_[commandId] = action;
    return action;
}

QAction* MainMenuBuilder::Action(int commandId) const {
    const auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

QMenu* MainMenuBuilder::AddMenu(const QString& title, const std::vector<int>& commandIds,
                                const std::function<void()>& refresh) {
    QMenu* menu = window_.menuBar()->addMenu(title);
    for (int id : commandIds) {
        if (id == kSeparator) {
            menu->addSeparator();
        } else {
            menu->addAction(Action(id));
        }
    }
    QObject::connect(menu, &QMenu::aboutToShow, &window_, refresh);
    return menu;
}

QMenu* MainMenuBuilder::BuildMenus(const std::function<void()>& refresh) {
    QMenu* contextMenu = nullptr;
    for (const MenuLayout& layout : mode_.Menus()) {
        QMenu* menu = AddMenu(layout.title, layout.items, refresh);
        if (layout.isContextMenu) {
            contextMenu = menu;
        }
    }
    window_.menuBar()->addAction(Action(kAbout));
    return contextMenu;
}

QToolBar* MainMenuBuilder::AddBand(int toggleId, const char* objectName,
                                   const std::vector<int>& commandIds) {
    QString caption = CommandTable::MenuText(toggleId, mode_);
    caption.remove(QLatin1Char('&'));
    auto* bar = new QToolBar(caption, &window_);
    bar->setObjectName(QString::fromLatin1(objectName));
    bar->setIconSize(QSize(kBarIconSize, kBarIconSize));
    for (int id : commandIds) {
        if (id == kSeparator) {
            bar->addSeparator();
        } else {
            bar->addAction(Action(id));
        }
    }
    window_.addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}
