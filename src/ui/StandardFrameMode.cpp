#include "ui/StandardFrameMode.h"

#include "core/AppState.h"
#include "ui/CommandIds.h"
#include "ui/MainMenuBuilder.h"

#include <QCoreApplication>

using namespace CommandId;

QString StandardFrameMode::SecondCaption() const {
    return QObject::tr("Segment");
}

QString StandardFrameMode::SecondDescription() const {
    return QObject::tr("Memory segment being edited");
}

std::vector<MenuLayout> StandardFrameMode::Menus() const {
    MenuLayout view = ViewMenu();
    view.items.insert(view.items.end(), {MainMenuBuilder::kSeparator, kChannel1, kChannel2});
    return {FileMenu(), EditMenu(), view, WaveMenu(), DownloadMenu({kDownload})};
}

QStringList StandardFrameMode::EditedParts(const AppState& state) const {
    return {
        QCoreApplication::translate("FrameStatusBar", "Channel %1").arg(state.activeChannel + 1),
        QCoreApplication::translate("FrameStatusBar", "Segment %1").arg(state.activeSegment)};
}
