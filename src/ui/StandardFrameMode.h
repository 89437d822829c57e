#pragma once

#include "ui/FrameMode.h"

// The standard editor: the second field selects the memory segment, the channel items sit
// in the View menu and the status bar names the channel and the segment.
class StandardFrameMode : public FrameMode {
public:
    StandardFrameMode() : FrameMode(OperatingMode::Standard) {}

    BarIcons::Picture SecondPicture() const override { return BarIcons::Picture::Segment; }
    QString SecondCaption() const override;
    QString SecondDescription() const override;

    std::vector<int> CommandIds() const override { return SampleEditorCommands(); }
    std::vector<MenuLayout> Menus() const override;
    std::vector<int> EditBandCommands() const override { return SampleEditBand(); }

protected:
    QStringList EditedParts(const AppState& state) const override;
};
