#pragma once

#include "ui/FrameMode.h"

// The FM editor: the second field sets the peak deviation, the FM markers have their
// command, their band and their list, the channel items move to the Download menu and the
// window has no accelerators. Its window keeps a place of its own beside the standard
// editor's.
class FmFrameMode : public FrameMode {
public:
    FmFrameMode() : FrameMode(OperatingMode::Fm) {}

    BarIcons::Picture SecondPicture() const override { return BarIcons::Picture::Deviation; }
    QString SecondCaption() const override;
    QString SecondDescription() const override;
    NumericField::CharacterFilter SecondFilter() const override;
    void ApplySecondField(ToolSession& session, const std::string& text,
                          const std::function<void(const QString&)>& show) const override;

    std::vector<int> CommandIds() const override;
    std::vector<MenuLayout> Menus() const override;
    QKeySequence Shortcut(int /*commandId*/) const override { return {}; }
    bool Allows(int /*commandId*/) const override { return true; }

    std::vector<int> EditBandCommands() const override { return SampleEditBand(); }
    // The FM waveform plays on the channel the host chose: no channel buttons.
    std::vector<int> InstrumentBandCommands(bool twoChannels) const override;
    bool HasMarkerList() const override { return true; }

    PlacementKeys Placement() const override { return {"FmRect", "FmBars", 100}; }

protected:
    QStringList EditedParts(const AppState& state) const override;
};
