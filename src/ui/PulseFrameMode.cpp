#include "ui/PulseFrameMode.h"

#include "core/AppState.h"
#include "ui/CommandIds.h"
#include "ui/MainMenuBuilder.h"

#include <QCoreApplication>

using namespace CommandId;

namespace {

// The File menu names the commands without "Waveform": the designer's file is its design.
constexpr CommandText kPulseFileCommands[] = {
    {kNew, "&New", "Start a new pulse design view\nNew"},
    {kOpen, "&Open...", "Open a waveform file\nOpen"},
    {kSave, "&Save", "Save the waveform\nSave"},
    {kSaveAs, "Save &As...", "Save the waveform under a new name\nSave As"},
};

} // namespace

// The caption stays "Length": a wider one pushes the channel buttons off a window of 800
// pixels.
QString PulseFrameMode::LengthDescription() const {
    return QObject::tr("Total duration of the pulse design in seconds");
}

QString PulseFrameMode::SecondCaption() const {
    return QObject::tr("Amplitude");
}

QString PulseFrameMode::SecondDescription() const {
    return QObject::tr("Amplitude of the pulse design");
}

NumericField::CharacterFilter PulseFrameMode::SecondFilter() const {
    return NumericField::IsNumberCharacter;
}

std::vector<int> PulseFrameMode::CommandIds() const {
    std::vector<int> ids = CommonCommands();
    ids.push_back(kPulseEditor);
    return ids;
}

std::vector<MenuLayout> PulseFrameMode::Menus() const {
    return {FileMenu(),
            {QCoreApplication::translate("MainFrame", "&View"), {kPulseEditor}},
            DownloadMenu({kDownload, MainMenuBuilder::kSeparator, kChannel1, kChannel2})};
}

std::span<const CommandText> PulseFrameMode::OwnCommandTexts() const {
    return kPulseFileCommands;
}

// The samples exist only as what a Download renders: Open, Save and Save As would write
// an empty waveform and enter it in the segment table. The wave generators have no
// samples to work on.
bool PulseFrameMode::Allows(int commandId) const {
    switch (commandId) {
    case kOpen:
    case kSave:
    case kSaveAs:
        return false;
    default:
        return FrameMode::Allows(commandId) && !MainMenuBuilder::IsWaveCommand(commandId);
    }
}

QStringList PulseFrameMode::EditedParts(const AppState& state) const {
    return {
        QCoreApplication::translate("FrameStatusBar", "Channel %1").arg(state.activeChannel + 1)};
}
