#include "pulse/PulseEditor.h"

#include "core/AppServices.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "pulse/PulseCellCheck.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseKeys.h"
#include "pulse/PulseMessage.h"
#include "pulse/PulseSectionList.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileBatch.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <climits>
#include <sstream>

PulseEditor::PulseEditor(PulseDesign& design)
    : design_(design), limits_(PulseLimits::Read(design.Services())),
      options_(design.Services().store), table_(design, limits_) {
    ShowSection();
}

// -- what the window shows --

std::string PulseEditor::Title() const {
    return "Section " + std::to_string(Shown().index + 1) +
           "  - <given as: " + PulseTrainStyles::Of(Shown().train).titleName + "> - Pulse Editor";
}

std::string PulseEditor::ColumnTitle(int column) const {
    if (column == 0) {
        return "Index";
    }
    const TrainStyleNames& names = PulseTrainStyles::Of(Shown().train);
    return column == 1 ? names.timeColumn : names.levelColumn;
}

std::string PulseEditor::Hint(int column) const {
    if (column == 0) {
        return "Use DEL/INS buttons to operate with table lines.";
    }
    const TrainStyleNames& names = PulseTrainStyles::Of(Shown().train);
    return std::string("Click on the field to edit the <") +
           (column == 1 ? names.timeHint : names.levelHint) + "> value.";
}

std::string PulseEditor::StartText() const {
    return FormatCompact(Shown().start * Scale());
}

std::string PulseEditor::DurationText() const {
    return FormatCompact(Shown().locDur * Scale());
}

bool PulseEditor::CanGoPrevious() const {
    return Shown().index > 0;
}

bool PulseEditor::CanGoNext() const {
    return Shown().index + 1 < design_.SectionCount();
}

// -- showing --

void PulseEditor::ShowSection() {
    table_.Show(design_.ShowSection(design_.ActiveSection()));
    repeatText_ = std::to_string(table_.Section().repeat);
    repeatModified_ = false;
}

// -- section fields --

bool PulseEditor::ChangeTrain(TrainStyle train) {
    if (train == Shown().train || !CanChooseTrain(train)) {
        return false;
    }
    if (table_.StoredItemCount() > 0) {
        const MessageAnswer answer = design_.Services().ui.ShowMessage(
            MsgTrainModeChange, MessageButtons::YesNoCancel, MessageIcon::Question);
        if (answer == MessageAnswer::Cancel) {
            return false;
        }
        if (answer == MessageAnswer::Yes) {
            table_.ClearAllLines();
        } else if (!PulseSectionList(design_).Insert(Shown().train, Shown().timeUnit)) {
            return false;
        }
    }
    ProfileBatch batch;
    batch.Set(design_.SectionName(design_.ActiveSection()), PulseKeys::kTrain,
              std::to_string(PulseTrainStyles::Stored(train)));
    design_.Apply(batch);
    ShowSection();
    return true;
}

bool PulseEditor::ChangeTimeUnit(PulseTimeUnit unit) {
    if (unit == Shown().timeUnit) {
        return false;
    }
    ProfileBatch batch;
    batch.Set(design_.SectionName(Shown().index), PulseKeys::kTimeUnit,
              std::to_string(PulseTimeUnits::Stored(unit)));
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
        repeatText_ = std::to_string(Shown().repeat);
        return false;
    }
    repeatText_ = std::to_string(value);
    if (value != Shown().repeat) {
        ProfileBatch batch;
        batch.Set(design_.SectionName(Shown().index), PulseKeys::kRepeat, std::to_string(value));
        design_.Apply(batch);
        design_.RestoreStartsAndDuration(Shown().index);
        table_.Reread();
    }
    return true;
}

// -- section commands --

bool PulseEditor::AppendSection() {
    if (!PulseSectionList(design_).Append(Shown().train, Shown().timeUnit)) {
        return false;
    }
    ShowSection();
    return true;
}

bool PulseEditor::InsertSection() {
    if (!PulseSectionList(design_).Insert(Shown().train, Shown().timeUnit)) {
        return false;
    }
    ShowSection();
    return true;
}

void PulseEditor::DeleteSection() {
    PulseSectionList(design_).Delete();
    table_.SelectLine(std::nullopt);
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
    table_.SelectLine(std::nullopt);
    ShowSection();
    return true;
}

bool PulseEditor::PreviousSection() {
    return Shown().index > 0 && SelectSection(Shown().index - 1, false);
}

bool PulseEditor::NextSection() {
    return CanGoNext() && SelectSection(Shown().index + 1, false);
}

bool PulseEditor::SelectSection(int k) {
    return SelectSection(k, true);
}

bool PulseEditor::SelectSection(int k, bool byLabel) {
    if (k == Shown().index || k < 0 || k >= design_.SectionCount()) {
        return false;
    }
    design_.SetActiveSection(k, byLabel ? PulseDesign::IndexText::Decimal
                                        : PulseDesign::IndexText::Compact);
    table_.SelectLine(std::nullopt);
    ShowSection();
    if (byLabel) {
        table_.SelectLine(0);
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
