#include "pulse/PulseEditor.h"

#include "core/AppServices.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "pulse/PulseCellCheck.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseKeyBatch.h"
#include "pulse/PulseKeys.h"
#include "pulse/PulseMessage.h"
#include "pulse/PulseSectionList.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <climits>
#include <sstream>

namespace {

const char* StyleName(TrainStyle train) {
    switch (train) {
    case TrainStyle::DcIntervals:
        return "DC Intervals";
    case TrainStyle::PulseSequence:
        return "Pulse Sequence";
    case TrainStyle::TimeLevelPoints:
        break;
    }
    return "Points";
}

bool HasEmptyCell(const PulseEditorLine& line) {
    return PulseCellCheck::Trimmed(line.time).empty() ||
           PulseCellCheck::Trimmed(line.level).empty();
}

} // namespace

bool PulseEditorLine::IsComplete() const {
    return PulseItem::NumberOf(time).has_value() && PulseItem::NumberOf(level).has_value();
}

PulseEditor::PulseEditor(PulseDesign& design)
    : design_(design), limits_(PulseLimits::Read(design.Services())),
      options_(design.Services().store) {
    ShowSection();
}

// -- what the window shows --

std::string PulseEditor::Title() const {
    return "Section " + std::to_string(section_.index + 1) +
           "  - <given as: " + StyleName(section_.train) + "> - Pulse Editor";
}

std::string PulseEditor::ColumnTitle(int column) const {
    if (column == 0) {
        return "Index";
    }
    switch (section_.train) {
    case TrainStyle::DcIntervals:
        return column == 1 ? "Time Interval" : "Level (V)";
    case TrainStyle::PulseSequence:
        return column == 1 ? "Pulse Template" : "";
    case TrainStyle::TimeLevelPoints:
        break;
    }
    return column == 1 ? "Time" : "Level (V)";
}

std::string PulseEditor::Hint(int column) const {
    if (column == 0) {
        return "Use DEL/INS buttons to operate with table lines.";
    }
    std::string name;
    if (column == 1) {
        name = section_.train == TrainStyle::DcIntervals     ? "Time Interval"
               : section_.train == TrainStyle::PulseSequence ? "Pulse Template"
                                                             : " Time";
    } else {
        name = section_.train == TrainStyle::PulseSequence ? "Loops" : "Level";
    }
    return "Click on the field to edit the <" + name + "> value.";
}

std::string PulseEditor::Cell(int line, int column) const {
    if (line < 0 || line >= LineCount()) {
        return {};
    }
    if (column == 0) {
        return std::to_string(line + 1);
    }
    return column == 1 ? Line(line).time : Line(line).level;
}

std::string PulseEditor::StartText() const {
    return FormatCompact(section_.start * Scale());
}

std::string PulseEditor::DurationText() const {
    return FormatCompact(section_.locDur * Scale());
}

bool PulseEditor::CanGoPrevious() const {
    return section_.index > 0;
}

bool PulseEditor::CanGoNext() const {
    return section_.index + 1 < design_.SectionCount();
}

// -- showing --

void PulseEditor::ShowSection() {
    section_ = design_.ShowSection(design_.ActiveSection());
    repeatText_ = std::to_string(section_.repeat);
    repeatModified_ = false;
    editing_ = false;
    FillTable();
    if (selected_ && *selected_ >= LineCount()) {
        selected_.reset();
    }
    marks_ = design_.SectionMarks(Scale());
}

void PulseEditor::FillTable() {
    lines_.clear();
    for (const PulseItem& item : section_.items) {
        lines_.push_back({ShownTime(item.time), item.level});
    }
    if (lines_.empty()) {
        lines_.emplace_back();
    }
}

std::string PulseEditor::ShownTime(const std::string& stored) const {
    const std::optional<double> seconds = PulseItem::NumberOf(stored);
    if (!seconds || section_.train == TrainStyle::PulseSequence) {
        return stored;
    }
    const double offset = section_.train == TrainStyle::TimeLevelPoints ? section_.start : 0.0;
    return FormatCompact((*seconds + offset) * Scale());
}

std::string PulseEditor::StoredTime(double shown) const {
    const double offset = section_.train == TrainStyle::TimeLevelPoints ? section_.start : 0.0;
    return FormatCompact(shown / Scale() - offset);
}

// -- table --

void PulseEditor::SelectLine(std::optional<int> line) {
    selected_ = line && *line >= 0 && *line < LineCount() ? line : std::nullopt;
}

void PulseEditor::BeginCellEdit(int line, int column) {
    editing_ = line >= 0 && line < LineCount() && (column == 1 || column == 2);
}

bool PulseEditor::EndCellEdit(int line, int column, const std::string& text) {
    editing_ = false;
    if (line < 0 || line >= LineCount() || (column != 1 && column != 2)) {
        return false;
    }
    PulseCellCheck check;
    check.train = section_.train;
    check.levelLow = design_.LevelLow();
    check.levelHigh = design_.LevelHigh();
    check.shownStart = section_.start * Scale();
    check.shownSample = limits_.sclkMax > 0 ? Scale() / static_cast<double>(limits_.sclkMax) : 0.0;
    for (const PulseEditorLine& shown : lines_) {
        check.shownTimes.push_back(PulseItem::NumberOf(shown.time));
    }
    const int refusal = check.Refusal(line, column, text);
    if (refusal != 0) {
        ShowPulseMessage(design_.Services().ui, refusal, {std::to_string(line + 1), text});
        RestoreCell(line, column);
        return false;
    }
    StoreCell(line, column, PulseCellCheck::Trimmed(text));
    return true;
}

void PulseEditor::RestoreCell(int line, int column) {
    const std::size_t index = static_cast<std::size_t>(line);
    const PulseItem stored = index < section_.items.size() ? section_.items[index] : PulseItem{};
    if (column == 1) {
        lines_[index].time = ShownTime(stored.time);
    } else {
        lines_[index].level = stored.level;
    }
}

void PulseEditor::StoreCell(int line, int column, const std::string& text) {
    const std::size_t index = static_cast<std::size_t>(line);
    std::string stored = text;
    if (column == 1 && section_.train != TrainStyle::PulseSequence) {
        stored = StoredTime(*PulseCellCheck::NumberOf(text));
        lines_[index].time = text;
    } else if (column == 1) {
        lines_[index].time = text;
    } else {
        lines_[index].level = text;
    }
    PulseKeyBatch batch;
    batch.Set(design_.SectionName(section_.index), PulseKeys::ItemKey(section_.train, line, column),
              stored);
    batch.Set(design_.SectionName(section_.index), PulseKeys::kItemCount,
              std::to_string(LineCount()));
    AfterItemsChanged(batch);
}

// LocDur from the table as shown: DC Intervals add the intervals of the complete lines;
// Time/Level Points end at the last line that holds a time.
double PulseEditor::LocDurOfTable() const {
    double shown = 0.0;
    if (section_.train == TrainStyle::DcIntervals) {
        for (const PulseEditorLine& line : lines_) {
            if (line.IsComplete()) {
                shown += *PulseItem::NumberOf(line.time);
            }
        }
        return shown / Scale();
    }
    if (section_.train != TrainStyle::TimeLevelPoints) {
        return 0.0;
    }
    for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
        if (const std::optional<double> time = PulseItem::NumberOf(line->time)) {
            return *time / Scale() - section_.start;
        }
    }
    return 0.0;
}

void PulseEditor::AfterItemsChanged(PulseKeyBatch& batch) {
    design_.ApplyWithDerived(batch, section_.index, LocDurOfTable());
    section_ = design_.Section(section_.index);
    marks_ = design_.SectionMarks(Scale());
}

void PulseEditor::AppendLine() {
    lines_.emplace_back();
    selected_ = LineCount() - 1;
}

int PulseEditor::StoredItemCount() {
    return PulseSectionList(design_).ItemCount(section_.index);
}

// Moves the stored cells of item `from` to item `to`; a missing cell stays missing.
void PulseEditor::MoveItem(PulseKeyBatch& batch, int from, int to) const {
    const std::string name = design_.SectionName(section_.index);
    const std::size_t index = static_cast<std::size_t>(from);
    const PulseItem item = index < section_.items.size() ? section_.items[index] : PulseItem{};
    for (int column = 1; column <= 2; ++column) {
        const std::string& text = column == 1 ? item.time : item.level;
        const std::string key = PulseKeys::ItemKey(section_.train, to, column);
        if (text.empty()) {
            batch.Remove(name, key);
        } else {
            batch.Set(name, key, text);
        }
    }
}

bool PulseEditor::InsertLine() {
    if (!selected_) {
        return false;
    }
    const int line = *selected_;
    if (HasEmptyCell(lines_[static_cast<std::size_t>(line)]) ||
        (line > 0 && HasEmptyCell(lines_[static_cast<std::size_t>(line - 1)]))) {
        return false;
    }
    const std::string name = design_.SectionName(section_.index);
    const int count = StoredItemCount();
    PulseKeyBatch batch;
    for (int item = count - 1; item >= line; --item) {
        MoveItem(batch, item, item + 1);
    }
    batch.Remove(name, PulseKeys::ItemKey(section_.train, line, 2));
    PulseEditorLine inserted;
    // A new node keeps the time of the node now below it: a polyline cannot hold a
    // node without a time between two with times.
    if (section_.train == TrainStyle::TimeLevelPoints) {
        inserted.time = lines_[static_cast<std::size_t>(line)].time;
    } else {
        batch.Remove(name, PulseKeys::ItemKey(section_.train, line, 1));
    }
    lines_.insert(lines_.begin() + line, inserted);
    batch.Set(name, PulseKeys::kItemCount, FormatCompact(std::max(count + 1, line + 1)));
    design_.Apply(batch);
    section_ = design_.Section(section_.index);
    selected_ = line;
    return true;
}

bool PulseEditor::DeleteLine() {
    if (!selected_) {
        return false;
    }
    const int line = *selected_;
    const int count = StoredItemCount();
    if (count == 0) {
        return false;
    }
    const std::string name = design_.SectionName(section_.index);
    PulseKeyBatch batch;
    // A line beyond the stored items was appended and never stored: it only leaves the table.
    if (line < count) {
        for (int item = line + 1; item < count; ++item) {
            MoveItem(batch, item, item - 1);
        }
        batch.Remove(name, PulseKeys::ItemKey(section_.train, count - 1, 1));
        batch.Remove(name, PulseKeys::ItemKey(section_.train, count - 1, 2));
        batch.Set(name, PulseKeys::kItemCount, FormatCompact(count - 1));
    }
    lines_.erase(lines_.begin() + line);
    if (lines_.empty()) {
        lines_.emplace_back();
    }
    selected_ = std::max(line - 1, 0);
    AfterItemsChanged(batch);
    return true;
}

void PulseEditor::ClearAllLines() {
    PulseSectionList(design_).Clear(section_.index);
    section_ = design_.Section(section_.index);
    lines_.assign(1, PulseEditorLine{});
    selected_.reset();
    marks_ = design_.SectionMarks(Scale());
}

// -- section fields --

bool PulseEditor::ChangeTrain(TrainStyle train) {
    if (train == section_.train || !CanChooseTrain(train)) {
        return false;
    }
    if (StoredItemCount() > 0) {
        const MessageAnswer answer = design_.Services().ui.ShowMessage(
            MsgTrainModeChange, MessageButtons::YesNoCancel, MessageIcon::Question);
        if (answer == MessageAnswer::Cancel) {
            return false;
        }
        if (answer == MessageAnswer::Yes) {
            ClearAllLines();
        } else if (!PulseSectionList(design_).Insert(section_.train, section_.timeUnit)) {
            return false;
        }
    }
    PulseKeyBatch batch;
    batch.Set(design_.SectionName(design_.ActiveSection()), PulseKeys::kTrain,
              std::to_string(static_cast<int>(train)));
    design_.Apply(batch);
    ShowSection();
    return true;
}

bool PulseEditor::ChangeTimeUnit(int unit) {
    if (unit < 0 || unit > 2 || unit == section_.timeUnit) {
        return false;
    }
    PulseKeyBatch batch;
    batch.Set(design_.SectionName(section_.index), PulseKeys::kTimeUnit, std::to_string(unit));
    design_.Apply(batch);
    ShowSection();
    return true;
}

void PulseEditor::EditRepeat(const std::string& text) {
    repeatText_ = text;
    repeatModified_ = true;
}

bool PulseEditor::ApplyRepeat() {
    const std::string text = PulseCellCheck::Trimmed(repeatText_);
    const char* cursor = text.c_str();
    int value = 0;
    // As an integer field reads: anything but one whole number counts as 0.
    if (!ReadLeadingInt(cursor, text.c_str() + text.size(), value) ||
        cursor != text.c_str() + text.size()) {
        value = 0;
    }
    // A family without "MaxLoopNo" (reported when the editor was made) bounds nothing.
    const long long most = limits_.maxLoopNo > 0 ? limits_.maxLoopNo : INT_MAX;
    repeatModified_ = false;
    if (value < 1 || value > most) {
        ShowPulseMessage(design_.Services().ui, MsgLoopsOutOfRange, {std::to_string(value)});
        repeatText_ = std::to_string(section_.repeat);
        return false;
    }
    repeatText_ = std::to_string(value);
    if (value != section_.repeat) {
        PulseKeyBatch batch;
        batch.Set(design_.SectionName(section_.index), PulseKeys::kRepeat, std::to_string(value));
        design_.Apply(batch);
        design_.RestoreStartsAndDuration(section_.index);
        section_ = design_.Section(section_.index);
        marks_ = design_.SectionMarks(Scale());
    }
    return true;
}

// -- section commands --

bool PulseEditor::AppendSection() {
    if (!PulseSectionList(design_).Append(section_.train, section_.timeUnit)) {
        return false;
    }
    ShowSection();
    return true;
}

bool PulseEditor::InsertSection() {
    if (!PulseSectionList(design_).Insert(section_.train, section_.timeUnit)) {
        return false;
    }
    ShowSection();
    return true;
}

void PulseEditor::DeleteSection() {
    PulseSectionList(design_).Delete();
    selected_.reset();
    ShowSection();
}

bool PulseEditor::RemoveAllSections() {
    const MessageAnswer answer = design_.Services().ui.ShowText(
        "Remove all sections of the design?\nOne empty section remains.", "", MessageButtons::YesNo,
        MessageIcon::Question);
    if (answer != MessageAnswer::Yes) {
        return false;
    }
    PulseSectionList(design_).RemoveAll();
    selected_.reset();
    ShowSection();
    return true;
}

bool PulseEditor::PreviousSection() {
    return section_.index > 0 && SelectSection(section_.index - 1, false);
}

bool PulseEditor::NextSection() {
    return CanGoNext() && SelectSection(section_.index + 1, false);
}

bool PulseEditor::SelectSection(int k) {
    return SelectSection(k, true);
}

bool PulseEditor::SelectSection(int k, bool byLabel) {
    if (k == section_.index || k < 0 || k >= design_.SectionCount()) {
        return false;
    }
    design_.SetActiveSection(k, byLabel ? PulseDesign::IndexText::Decimal
                                        : PulseDesign::IndexText::Compact);
    selected_.reset();
    ShowSection();
    if (byLabel) {
        selected_ = 0;
    }
    return true;
}

// -- placement --

std::optional<std::array<int, 4>> PulseEditor::ReadFour(const char* name) const {
    std::istringstream numbers(design_.Services().store.ReadHostValue(kPlacementSubkey, name));
    std::array<int, 4> values{};
    for (int& value : values) {
        if (!(numbers >> value)) {
            return std::nullopt;
        }
    }
    return values;
}

std::optional<std::array<int, 4>> PulseEditor::StoredPlacement() const {
    return ReadFour("PulsSmithDlg");
}

std::optional<std::array<int, 4>> PulseEditor::StoredColumnWidths() const {
    return ReadFour("PulsColw");
}

void PulseEditor::StorePlacement(const std::array<int, 4>& rectangle,
                                 const std::array<int, 4>& widths) {
    const auto text = [](const std::array<int, 4>& values) {
        return std::to_string(values[0]) + " " + std::to_string(values[1]) + " " +
               std::to_string(values[2]) + " " + std::to_string(values[3]);
    };
    ProfileStore& store = design_.Services().store;
    store.WriteHostValue("PulsSmithDlg", text(rectangle), kPlacementSubkey);
    store.WriteHostValue("PulsColw", text(widths), kPlacementSubkey);
}
