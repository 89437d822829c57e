#include "fm/FmMarkersDialog.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/CharClass.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "fm/FmMarkerTable.h"
#include "fm/FmSettings.h"
#include "link/LinkMode.h"
#include "settings/NumberFormat.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::size_t kEditTextLimit = 19;
constexpr std::size_t kStoredTextLimit = 39;
constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();

void Refuse(AppServices& services, const std::string& text, const std::string& why) {
    services.ui.ShowText("The FM marker " + text + " " + why + "\nNothing was added.",
                         "FM Markers Table", MessageButtons::Ok, MessageIcon::Exclamation);
}

} // namespace

FmMarkersDialog::FmMarkersDialog(AppServices& services, const FmSettings& fm)
    : services_(services), fm_(fm) {}

void FmMarkersDialog::Load() {
    const FmMarkerTable table(services_.store, fm_.FunctionMode());
    section_ = table.Section();
    ascending_ = table.ReadAscending();
    markers_.clear();
    for (const std::string& text : table.ReadTexts(kStoredTextLimit)) {
        markers_.push_back(ReadStoredMarker(text));
    }
    modified_ = false;
}

std::string FmMarkersDialog::DownloadNote() const {
    if (fm_.Mode().HasMarkerFile()) {
        return {};
    }
    return "This instrument family has no marker file: the markers are shown in the view and "
           "the marker bar, but a download does not send them.";
}

std::vector<std::string> FmMarkersDialog::DisplayTexts() const {
    std::vector<std::string> texts;
    texts.reserve(markers_.size());
    for (const std::int32_t marker : markers_) {
        texts.push_back(FormatMarker(marker));
    }
    if (!ascending_) {
        std::reverse(texts.begin(), texts.end());
    }
    return texts;
}

FmMarkersDialog::AddOutcome FmMarkersDialog::Add(const std::string& editText) {
    const std::string text = editText.substr(0, kEditTextLimit);
    if (text.empty()) {
        return AddOutcome::Empty;
    }
    double number = 0.0;
    if (ParseLeadingDouble(text.c_str(), text.size(), number) == 0 || !std::isfinite(number)) {
        Refuse(services_, "\"" + text + "\"", "is not a frequency in Hz.");
        return AddOutcome::NotANumber;
    }
    const double whole = std::trunc(number);
    if (whole < static_cast<double>(kLowest) || whole > static_cast<double>(kHighest)) {
        Refuse(services_, text, "lies beyond the range of markers (-2147483648 to 2147483647 Hz).");
        return AddOutcome::TooLarge;
    }
    const auto value = static_cast<std::int32_t>(whole);
    if (value < fm_.Fmin() || value > fm_.Fmax()) {
        Message warning;
        warning.id = MsgMarkerOutOfRange;
        warning.text = MessageText(MsgMarkerOutOfRange);
        warning.caption = "Warning";
        warning.icon = MessageIcon::Exclamation;
        services_.ui.Show(warning);
    }
    if (std::find(markers_.begin(), markers_.end(), value) != markers_.end()) {
        return AddOutcome::Duplicate;
    }
    // "Before the first larger marker": a hand-edited, unsorted list is not sorted here.
    const auto larger = std::find_if(markers_.begin(), markers_.end(),
                                     [value](std::int32_t marker) { return marker > value; });
    markers_.insert(larger, value);
    modified_ = true;
    return AddOutcome::Added;
}

bool FmMarkersDialog::DeleteRow(int row) {
    const auto count = static_cast<int>(markers_.size());
    if (row < 0 || row >= count) {
        return false;
    }
    const int index = ascending_ ? row : count - 1 - row;
    markers_.erase(markers_.begin() + index);
    modified_ = true;
    return true;
}

void FmMarkersDialog::RemoveAll() {
    markers_.clear();
}

void FmMarkersDialog::SetAscending(bool ascending) {
    ascending_ = ascending;
}

bool FmMarkersDialog::Store() {
    const FmMarkerTable table(services_.store, fm_.FunctionMode());
    if (!table.Store(markers_, ascending_)) {
        return false;
    }
    modified_ = false;
    return true;
}

bool FmMarkersDialog::Close() {
    if (!modified_) {
        return false;
    }
    Message question;
    question.text = "Do you want to save changes ?";
    question.caption = "Data is modified";
    question.buttons = MessageButtons::YesNo;
    question.icon = MessageIcon::Question;
    if (services_.ui.Show(question) != MessageAnswer::Yes) {
        return false;
    }
    return Store();
}

std::string FmMarkersDialog::FormatMarker(std::int32_t value) {
    std::string text = CrtFormat("%.8e", static_cast<double>(value));
    StripExponentZeros(text);
    return text;
}

std::int32_t FmMarkersDialog::ReadStoredMarker(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kHighest + 1);
    }
    value = negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp(value, kLowest, kHighest));
}
