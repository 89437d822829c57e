#pragma once

#include "pulse/PulseLimits.h"
#include "pulse/PulseOptions.h"
#include "pulse/PulseSection.h"
#include "pulse/PulseSectionTable.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class PulseDesign;

// The pulse editor without a window: the shown section of the design as a table of
// items (PulseSectionTable: the cell edits with their checks and the line commands), its
// unit, Repeat, Start and Duration, and the section commands. Every accepted change is
// written at once and followed by the derived-value upkeep; the face mirrors the form
// and calls `changed` listeners itself (nothing here repaints).
class PulseEditor {
public:
    static constexpr const char* kPlacementSubkey = "DrawRect";

    // Reads the instrument limits and the options and shows the design's active section.
    explicit PulseEditor(PulseDesign& design);

    // -- what the window shows --
    std::string Title() const;
    std::string ColumnTitle(int column) const;
    // The status line while the mouse is over a column of the table.
    std::string Hint(int column) const;
    int LineCount() const { return table_.LineCount(); }
    const PulseEditorLine& Line(int line) const { return table_.Line(line); }
    // The cell text of a line, column 0 the index.
    std::string Cell(int line, int column) const { return table_.Cell(line, column); }
    int Section() const { return Shown().index; }
    TrainStyle Train() const { return Shown().train; }
    PulseTimeUnit TimeUnit() const { return Shown().timeUnit; }
    double Scale() const { return table_.Scale(); }
    std::string StartText() const;
    std::string DurationText() const;
    const std::string& RepeatText() const { return repeatText_; }
    std::optional<int> SelectedLine() const { return table_.SelectedLine(); }
    const PulseLimits& Limits() const { return limits_; }
    PulseOptions& Options() { return options_; }
    PulseDesign& Design() { return design_; }
    // Start x scale and (Start + LocDur) x scale per section, in the shown unit.
    const std::vector<double>& SectionMarks() const { return table_.Marks(); }

    // -- enabling --
    bool CanApplyRepeat() const { return repeatModified_; }
    bool CanAppendLine() const { return !table_.IsEditing(); }
    bool CanInsertLine() const { return SelectedLine().has_value(); }
    bool CanDeleteLine() const { return SelectedLine().has_value(); }
    // The Pulse Sequence style has no templates to pick from: its button stays disabled.
    static bool CanChooseTrain(TrainStyle train) { return train != TrainStyle::PulseSequence; }
    bool CanGoPrevious() const;
    bool CanGoNext() const;

    // -- table --
    void SelectLine(std::optional<int> line) { table_.SelectLine(line); }
    void BeginCellEdit(int line, int column) { table_.BeginCellEdit(line, column); }
    void CancelCellEdit() { table_.CancelCellEdit(); }
    // The end of an in-place edit: checks the text (messages 980 to 991 with the line and
    // the text), writes it and restores the derived values. A refused text leaves the
    // cell showing the stored value again. True when accepted.
    bool EndCellEdit(int line, int column, const std::string& text) {
        return table_.EndCellEdit(line, column, text);
    }
    void AppendLine() { table_.AppendLine(); }
    bool InsertLine() { return table_.InsertLine(); }
    bool DeleteLine() { return table_.DeleteLine(); }
    void ClearAllLines() { table_.ClearAllLines(); }

    // -- section fields --
    // Question 3022 (Yes, No, Cancel) when the section has items. False when nothing
    // changed (Cancel, the same style, the disabled style, or an insert that is refused).
    bool ChangeTrain(TrainStyle train);
    bool ChangeTimeUnit(PulseTimeUnit unit);
    void EditRepeat(const std::string& text);
    // "Apply" or the field losing focus: message 985 for a count outside 1..MaxLoopNo.
    bool ApplyRepeat();

    // -- section commands --
    bool AppendSection();
    bool InsertSection();
    void DeleteSection();
    // Asks first; true when the design was reset to one empty section.
    bool RemoveAllSections();
    bool PreviousSection();
    bool NextSection();
    // A click on the label of section k in the view; nothing for the active one.
    bool SelectSection(int k);

    // Re-reads the active section and refills the table.
    void ShowSection();

    // -- window placement, four integers each, in the registry --
    std::optional<std::array<int, 4>> StoredPlacement() const;
    std::optional<std::array<int, 4>> StoredColumnWidths() const;
    void StorePlacement(const std::array<int, 4>& rectangle, const std::array<int, 4>& widths);

private:
    const PulseSection& Shown() const { return table_.Section(); }
    bool SelectSection(int k, bool byLabel);
    std::optional<std::array<int, 4>> ReadFour(const char* name) const;

    PulseDesign& design_;
    PulseLimits limits_;
    PulseOptions options_;
    PulseSectionTable table_;
    std::string repeatText_;
    bool repeatModified_ = false;
};
