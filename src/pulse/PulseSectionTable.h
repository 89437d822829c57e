#pragma once

#include "pulse/PulseSection.h"

#include <optional>
#include <string>
#include <vector>

class PulseDesign;
class ProfileBatch;
struct PulseLimits;

// One line of the editor's table as shown: the time in the section's unit and the level
// as stored (column 0, the index, is the line number + 1).
struct PulseEditorLine {
    std::string time;
    std::string level;
    bool IsComplete() const;
};

// The shown section of the pulse editor as its table: the lines in the section's unit,
// the selected line, the cell edits with their checks and the line commands. Every
// accepted change is written at once and followed by the derived-value upkeep; the
// section and its marks are read again after each write.
class PulseSectionTable {
public:
    PulseSectionTable(PulseDesign& design, const PulseLimits& limits);

    // Shows a section just read: fills the table and keeps the selection inside it.
    void Show(const PulseSection& section);
    // Reads the shown section and the marks again after a change made elsewhere.
    void Reread();

    const PulseSection& Section() const { return section_; }
    double Scale() const { return section_.Scale(); }
    // Start x scale and (Start + LocDur) x scale per section, in the shown unit.
    const std::vector<double>& Marks() const { return marks_; }
    int LineCount() const { return static_cast<int>(lines_.size()); }
    const PulseEditorLine& Line(int line) const { return lines_[static_cast<std::size_t>(line)]; }
    // The cell text of a line, column 0 the index.
    std::string Cell(int line, int column) const;
    std::optional<int> SelectedLine() const { return selected_; }
    bool IsEditing() const { return editing_; }
    int StoredItemCount() const;

    void SelectLine(std::optional<int> line);
    void BeginCellEdit(int line, int column);
    void CancelCellEdit() { editing_ = false; }
    // The end of an in-place edit: checks the text (messages 980 to 991 with the line and
    // the text), writes it and restores the derived values. A refused text leaves the
    // cell showing the stored value again. True when accepted.
    bool EndCellEdit(int line, int column, const std::string& text);
    void AppendLine();
    bool InsertLine();
    bool DeleteLine();
    void ClearAllLines();

private:
    std::string ShownTime(const std::string& stored) const;
    std::string StoredTime(double shown) const;
    void FillTable();
    void RestoreCell(int line, int column);
    void StoreCell(int line, int column, const std::string& text);
    void AfterItemsChanged(ProfileBatch& batch);
    double LocDurOfTable() const;
    void MoveItem(ProfileBatch& batch, int from, int to) const;

    PulseDesign& design_;
    const PulseLimits& limits_;
    PulseSection section_;
    std::vector<PulseEditorLine> lines_;
    std::optional<int> selected_;
    bool editing_ = false;
    std::vector<double> marks_;
};
