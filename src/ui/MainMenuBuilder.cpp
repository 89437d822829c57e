#include "ui/MainMenuBuilder.h"

#include "synthesis/WaveformKinds.h"
#include "ui/BarIcons.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <vector>

namespace {

using namespace CommandId;

constexpr int kSeparator = MainMenuBuilder::kSeparator;
constexpr int kBarIconSize = 24;

// The Wave menu: the waveform kinds in their order, with their separators.
std::vector<int> WaveMenuItems() {
    std::vector<int> items;
    for (const WaveformKind& kind : WaveformKinds::All()) {
        if (kind.separatorBefore) {
            items.push_back(kSeparator);
        }
        items.push_back(kind.commandId);
    }
    return items;
}

// The menu titles keep the translation context they had in the window.
QString MenuTitle(const char* text) {
    return QCoreApplication::translate("MainFrame", text);
}

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

// The accelerators of the standard editor and the pulse designer; the FM editor has none.
QKeySequence ShortcutOf(int commandId) {
    switch (commandId) {
    case kNew:
        return QKeySequence::New;
    case kOpen:
        return QKeySequence::Open;
    case kSave:
        return QKeySequence::Save;
    case kPrint:
        return QKeySequence::Print;
    case kUndo:
        return QKeySequence::Undo;
    default:
        return {};
    }
}

} // namespace

MainMenuBuilder::MainMenuBuilder(QMainWindow& window, OperatingMode mode,
                                 std::map<int, QAction*>& actions)
    : window_(window), mode_(mode), actions_(actions) {}

void MainMenuBuilder::BuildActions(const std::function<void(int)>& run) {
    for (int id : {kNew, kOpen, kSave, kSaveAs, kPrint, kExit, kDownload, kAbout, kFileBar,
                   kParameterBar, kInstrumentBar, kChannel1, kChannel2}) {
        MakeAction(id, run);
    }
    if (mode_ == OperatingMode::Pulse) {
        MakeAction(kPulseEditor, run);
        return;
    }
    for (int id : {kAutoline, kSketch, kSmooth, kFilter, kInvert, kTrimLeft, kTrimRight, kUnmark,
                   kUndo, kZoomIn, kZoomOut, kEditBar}) {
        MakeAction(id, run);
    }
    for (const WaveformKind& kind : WaveformKinds::All()) {
        MakeAction(kind.commandId, run);
    }
    if (mode_ == OperatingMode::Fm) {
        MakeAction(kFmMarkers, run);
        MakeAction(kMarkerBar, run);
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
    if (mode_ != OperatingMode::Fm) {
        action->setShortcut(ShortcutOf(commandId));
    }
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
    QMenu* editMenu = nullptr;
    AddMenu(MenuTitle("&File"),
            {kNew, kOpen, kSave, kSaveAs, kSeparator, kPrint, kSeparator, kExit}, refresh);
    if (mode_ == OperatingMode::Pulse) {
        AddMenu(MenuTitle("&View"), {kPulseEditor}, refresh);
        AddMenu(MenuTitle("&Download"), {kDownload, kSeparator, kChannel1, kChannel2}, refresh);
    } else {
        editMenu = AddMenu(MenuTitle("&Edit"),
                           {kAutoline, kSketch, kSmooth, kFilter, kInvert, kSeparator, kTrimLeft,
                            kTrimRight, kUnmark, kSeparator, kUndo},
                           refresh);
        QMenu* viewMenu = AddMenu(
            MenuTitle("&View"),
            {kZoomIn, kZoomOut, kSeparator, kFileBar, kEditBar, kParameterBar, kInstrumentBar},
            refresh);
        AddMenu(QStringLiteral("Wave"), WaveMenuItems(), refresh);
        if (mode_ == OperatingMode::Fm) {
            editMenu->addSeparator();
            editMenu->addAction(Action(kFmMarkers));
            viewMenu->addAction(Action(kMarkerBar));
            AddMenu(MenuTitle("&Download"), {kDownload, kSeparator, kChannel1, kChannel2}, refresh);
        } else {
            viewMenu->addSeparator();
            viewMenu->addAction(Action(kChannel1));
            viewMenu->addAction(Action(kChannel2));
            AddMenu(MenuTitle("&Download"), {kDownload}, refresh);
        }
    }
    window_.menuBar()->addAction(Action(kAbout));
    return editMenu;
}

QToolBar* MainMenuBuilder::AddBand(int toggleId, const char* objectName,
                                   std::initializer_list<int> commandIds) {
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
