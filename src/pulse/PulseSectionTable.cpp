#include "pulse/PulseSectionTable.h"

#include "core/AppServices.h"
#include "pulse/PulseCellCheck.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseKeys.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseMessage.h"
#include "pulse/PulseSectionList.h"
#include "settings/ProfileBatch.h"
#include "settings/TextFormat.h"

namespace {

bool HasEmptyCell(const PulseEditorLine& line) {
    return PulseCellCheck::Trimmed(line.time).empty() ||
           PulseCellCheck::Trimmed(line.level).empty();
}

} // namespace

bool PulseEditorLine::IsComplete() const {
    return PulseItem::NumberOf(time).has_value() && PulseItem::NumberOf(level).has_value();
}

PulseSectionTable::PulseSectionTable(PulseDesign& design, const PulseLimits& limits)
    : design_(design), limits_(limits) {}

void PulseSectionTable::Show(const PulseSection& section) {
    section_ = section;
    editing_ = false;
    FillTable();
    if (selected_ && *selected_ >= LineCount()) {
        selected_.reset();
    }
    marks_ = design_.SectionMarks(Scale());
}

void PulseSectionTable::Reread() {
    section_ = design_.Section(section_.index);
    marks_ = design_.SectionMarks(Scale());
}

std::string PulseSectionTable::Cell(int line, int column) const {
    if (line < 0 || line >= LineCount()) {
        return {};
    }
    if (column == 0) {
        return std::to_string(line + 1);
    }
    return column == 1 ? Line(line).time : Line(line).level;
}

void PulseSectionTable::FillTable() {
    lines_.clear();
    for (const PulseItem& item : section_.items) {
        lines_.push_back({ShownTime(item.time), item.level});
    }
    if (lines_.empty()) {
        lines_.emplace_back();
    }
}

std::string PulseSectionTable::ShownTime(const std::string& stored) const {
    const std::optional<double> seconds = PulseItem::NumberOf(stored);
    if (!seconds || section_.train == TrainStyle::PulseSequence) {
        return stored;
    }
    const double offset = section_.train == TrainStyle::TimeLevelPoints ? section_.start : 0.0;
    return FormatCompact((*seconds + offset) * Scale());
}

std::string PulseSectionTable::StoredTime(double shown) const {
    const double offset = section_.train == TrainStyle::TimeLevelPoints ? section_.start : 0.0;
    return FormatCompact(shown / Scale() - offset);
}

void PulseSectionTable::SelectLine(std::optional<int> line) {
    selected_ = line && *line >= 0 && *line < LineCount() ? line : std::nullopt;
}

void PulseSectionTable::BeginCellEdit(int line, int column) {
    editing_ = line >= 0 && line < LineCount() && (column == 1 || column == 2);
}

bool PulseSectionTable::EndCellEdit(int line, int column, const std::string& text) {
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

void PulseSectionTable::RestoreCell(int line, int column) {
    const std::size_t index = static_cast<std::size_t>(line);
    const PulseItem stored = index < section_.items.size() ? section_.items[index] : PulseItem{};
    if (column == 1) {
        lines_[index].time = ShownTime(stored.time);
    } else {
        lines_[index].level = stored.level;
    }
}

void PulseSectionTable::StoreCell(int line, int column, const std::string& text) {
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
    ProfileBatch batch;
    batch.Set(design_.SectionName(section_.index), PulseKeys::ItemKey(section_.train, line, column),
              stored);
    batch.Set(design_.SectionName(section_.index), PulseKeys::kItemCount,
              std::to_string(LineCount()));
    AfterItemsChanged(batch);
}

// LocDur from the table as shown: DC Intervals add the intervals of the complete lines;
// Time/Level Points end at the last line that holds a time.
double PulseSectionTable::LocDurOfTable() const {
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

void PulseSectionTable::AfterItemsChanged(ProfileBatch& batch) {
    design_.ApplyWithDerived(batch, section_.index, LocDurOfTable());
    Reread();
}

void PulseSectionTable::AppendLine() {
    lines_.emplace_back();
    selected_ = LineCount() - 1;
}

int PulseSectionTable::StoredItemCount() const {
    return PulseSectionList(design_).ItemCount(section_.index);
}

// Moves the stored cells of item `from` to item `to`; a missing cell stays missing.
void PulseSectionTable::MoveItem(ProfileBatch& batch, int from, int to) const {
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

bool PulseSectionTable::InsertLine() {
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
    ProfileBatch batch;
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

bool PulseSectionTable::DeleteLine() {
    if (!selected_) {
        return false;
    }
    const int line = *selected_;
    const int count = StoredItemCount();
    if (count == 0) {
        return false;
    }
    const std::string name = design_.SectionName(section_.index);
    ProfileBatch batch;
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

void PulseSectionTable::ClearAllLines() {
    PulseSectionList(design_).Clear(section_.index);
    Reread();
    lines_.assign(1, PulseEditorLine{});
    selected_.reset();
}
