#pragma once

#include "ui/FrameMode.h"

// The pulse designer: the length field shows the design's duration and cannot be typed,
// the second field is the design's amplitude, the menus hold only File, View (the Pulse
// Editor), Download and About, and there is no wave edit band.
class PulseFrameMode : public FrameMode {
public:
    PulseFrameMode() : FrameMode(OperatingMode::Pulse) {}

    QString LengthDescription() const override;
    bool LengthEditable() const override { return false; }
    BarIcons::Picture SecondPicture() const override { return BarIcons::Picture::Amplitude; }
    QString SecondCaption() const override;
    QString SecondDescription() const override;
    NumericField::CharacterFilter SecondFilter() const override;
    bool FeedsPulseDesign() const override { return true; }

    std::vector<int> CommandIds() const override;
    std::vector<MenuLayout> Menus() const override;
    std::span<const CommandText> OwnCommandTexts() const override;
    bool Allows(int commandId) const override;

    bool ShowsPulseDesign() const override { return true; }

    // The window opens where the standard editor's does; its bars are arranged apart.
    PlacementKeys Placement() const override { return {"Rect", "PulseBars", 0}; }

protected:
    QStringList EditedParts(const AppState& state) const override;
};
