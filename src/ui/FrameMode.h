#pragma once

#include "core/OperatingMode.h"
#include "ui/BarIcons.h"
#include "ui/CommandTable.h"
#include "ui/FramePlacement.h"
#include "ui/NumericField.h"

#include <QKeySequence>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class ToolSession;
struct AppState;

// A menu of the menu bar: its title and its items, MainMenuBuilder::kSeparator standing
// for a line. The context menu of the view is the menu marked so (none in the pulse
// designer).
struct MenuLayout {
    QString title;
    std::vector<int> items;
    bool isContextMenu = false;
};

// What differs between the main windows of the standard editor, the FM editor and the
// pulse designer: the parameter bar's fields, the commands with their menus, tool bar
// bands and accelerators, the status bar's context, the title and the placement. The
// frame makes one at start (the mode never changes) and hands it to its parts, which ask
// it instead of testing the mode. Where a mode does not say otherwise, it behaves as the
// standard editor.
class FrameMode {
public:
    virtual ~FrameMode() = default;

    // The one place the window's mode type is chosen.
    static std::unique_ptr<FrameMode> For(const AppState& state);

    // What the core's services are told (the host's request codes depend on it).
    OperatingMode Mode() const { return mode_; }
    QString Title() const;

    // --- parameter bar --------------------------------------------------------------
    // The length picture's tool-tip and whether the length can be typed.
    virtual QString LengthDescription() const;
    virtual bool LengthEditable() const { return true; }
    // The second field's picture, caption, tool-tip and the characters it accepts.
    virtual BarIcons::Picture SecondPicture() const = 0;
    virtual QString SecondCaption() const = 0;
    virtual QString SecondDescription() const = 0;
    virtual NumericField::CharacterFilter SecondFilter() const;
    // Whether the second field follows the span of the samples each time the document
    // recomputes its window from them.
    virtual bool ShowsSampleDeviation() const { return false; }
    // Whether a confirmation hands the amplitude field to the pulse design instead of
    // applying the fields to the document.
    virtual bool FeedsPulseDesign() const { return false; }
    // Applies the second field's text to the document; `show` replaces the field's text
    // when the document answers with one.
    virtual void ApplySecondField(ToolSession& session, const std::string& text,
                                  const std::function<void(const QString&)>& show) const;

    // --- commands ---------------------------------------------------------------------
    // The mode's commands in the order their actions are made.
    virtual std::vector<int> CommandIds() const = 0;
    // The menus left to right; the About item follows them.
    virtual std::vector<MenuLayout> Menus() const = 0;
    virtual QKeySequence Shortcut(int commandId) const;
    // Texts that replace the command table's own for this mode.
    virtual std::span<const CommandText> OwnCommandTexts() const { return {}; }
    // Whether a command may run at all in this mode, whatever its state.
    virtual bool Allows(int commandId) const;

    // --- tool bar bands ---------------------------------------------------------------
    // The wave edit band's buttons; none when the mode has no such band.
    virtual std::vector<int> EditBandCommands() const { return {}; }
    virtual std::vector<int> InstrumentBandCommands(bool twoChannels) const;
    virtual bool HasMarkerList() const { return false; }

    // --- central view -----------------------------------------------------------------
    // Whether the window shows the pulse design view instead of the waveform view.
    virtual bool ShowsPulseDesign() const { return false; }

    // --- status bar and placement -----------------------------------------------------
    // The instrument family followed by what the mode edits.
    QStringList ContextParts(const AppState& state) const;
    virtual PlacementKeys Placement() const;

protected:
    explicit FrameMode(OperatingMode mode) : mode_(mode) {}

    virtual QStringList EditedParts(const AppState& state) const = 0;

    // The pieces the modes build their commands, menus and bands from; the sample
    // editor's are those of the standard and FM editors.
    static std::vector<int> CommonCommands();
    static std::vector<int> SampleEditorCommands();
    static MenuLayout FileMenu();
    static MenuLayout EditMenu();
    static MenuLayout ViewMenu();
    static MenuLayout WaveMenu();
    static MenuLayout DownloadMenu(std::vector<int> items);
    static std::vector<int> SampleEditBand();

private:
    OperatingMode mode_;
};
