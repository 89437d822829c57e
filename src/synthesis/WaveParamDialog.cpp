#include "synthesis/WaveParamDialog.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/LongJob.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentView.h"
#include "document/WaveDoc.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"
#include "synthesis/CrtRandom.h"
#include "synthesis/GeneratedWaveform.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <sstream>

namespace {

constexpr int kStoredText = 30;
constexpr int kFamilyEntryText = 80;
constexpr std::size_t kFieldReadLength = 159;
constexpr std::size_t kStoredFieldLength = 29;
constexpr const char* kNoiseSection = "ArbNoise";
constexpr const char* kCommonKeys[4] = {"Prv_bgn", "Prv_end", "Wavmin", "Wavmax"};

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

std::string BlanksForUnderscores(std::string text) {
    std::replace(text.begin(), text.end(), '_', ' ');
    return text;
}

std::string IntegerText(double value) {
    return std::to_string(static_cast<long long>(std::trunc(value)));
}

// A key that is "Inv" or a leading part of it is shown as a check box.
bool IsCheckBoxKey(const std::string& key) {
    return !key.empty() && key.size() <= 3 && StartsWithNoCase("Inv", key);
}

// The integer a check box text stands for ("1", "0"), read as the C library's atoi would.
bool CheckedText(const std::string& text) {
    return static_cast<long long>(std::trunc(LeadingDouble(text))) != 0;
}

// "1" or "0", as a check box is stored.
std::string CheckBoxText(bool checked) {
    return std::string(1, checked ? '1' : '0');
}

} // namespace

WaveParamDialog::WaveParamDialog(WaveDoc& document, int templateId, std::string sectionName)
    : document_(document), templateId_(templateId), sectionName_(std::move(sectionName)),
      fm_(document.IsFmDocument()),
      settings_(document, fm_ ? "FmsWav_Defpar" : "SmWav_Defpar", fm_ ? "FmsWav_Par" : "SmWav_Par"),
      snapshot_(document.State().userFolder + kPathSeparator + "orgWave.tmp"), title_(sectionName_),
      random_(&CrtRandom::Process()) {
    if (settings_.ParameterKeyCount() < 3) {
        settings_.LoadParamDefaults();
        if (DocumentView* view = document_.View()) {
            ProfileStore& store = document_.Store();
            const std::string& section = settings_.ParameterSection();
            store.WriteProfileTexts(section,
                                    {{"Prv_bgn", IntegerText(view->LeftAnchor())},
                                     {"Prv_end", IntegerText(view->RightAnchor())}},
                                    store.ContextFile());
        }
    }
    snapshot_.Save(document_.Samples(), document_.Ui());
}

WaveParamDialog::~WaveParamDialog() = default;

std::string WaveParamDialog::LevelGroupTitle() const {
    return fm_ ? "Peak Deviation" : "Waveform Amplitude";
}

void WaveParamDialog::Initialize() {
    const bool first = fields_.empty();
    fields_.clear();
    std::fill(std::begin(values_), std::end(values_), 0.0);
    InitCommonFields();
    ComputeCodeMapping();
    ProfileStore& store = document_.Store();
    std::string title;
    if (store.ReadProfileText(sectionName_, "Title", title, kStoredText, store.FamilyFile(),
                              false)) {
        title_ = BlanksForUnderscores(title);
    }
    if (!EqualsNoCase(sectionName_, kNoiseSection)) {
        InitParameterFields();
    }
    const double left = std::trunc(values_[0]);
    const double right = std::trunc(values_[1]);
    // Cancel returns the anchors to where the dialog put them when it opened; Default
    // moves them again but does not change that.
    if (first) {
        initialLeft_ = left;
        initialRight_ = right;
    }
    SetViewAnchors(left, right);
    position_ = settings_.ReadPosition();
}

double WaveParamDialog::StoredRangePoint(std::string& text, double last) {
    const double value = LeadingDouble(text);
    const bool exponentForm = text.find_first_of("eE") != std::string::npos;
    // Six significant digits are off by at most half a unit in the sixth digit.
    if (exponentForm && value > last && value - last <= value * 5e-6) {
        text = IntegerText(last);
        return last;
    }
    return value;
}

void WaveParamDialog::InitCommonFields() {
    const double length = document_.Length();
    const double low = WaveGeneratorSettings::LevelLow(document_);
    const double high = WaveGeneratorSettings::LevelHigh(document_);
    const std::string levelUnit = fm_ ? "Hz" : "codes";
    const WaveField common[4] = {
        {kFirstControl, kCommonKeys[0], "Start", "pts", "", false, false, 0, length - 1},
        {kFirstControl + 1, kCommonKeys[1], "End", "pts", "", false, false, 1, length - 1},
        {kFirstControl + 2, kCommonKeys[2], "Min", levelUnit, "", false, false, low, high - 1},
        {kFirstControl + 3, kCommonKeys[3], "Max", levelUnit, "", false, false, low + 1, high},
    };
    const double fallback[4] = {0, length - 1, low, high};
    ProfileStore& store = document_.Store();
    for (int i = 0; i < 4; ++i) {
        WaveField field = common[i];
        if (!store.ReadProfileText(settings_.ParameterSection(), field.key, field.text, kStoredText,
                                   store.ContextFile(), true)) {
            field.text = IntegerText(fallback[i]);
        }
        values_[i] = i < 2 ? std::trunc(StoredRangePoint(field.text, length - 1))
                           : LeadingDouble(field.text);
        fields_.push_back(field);
    }
}

void WaveParamDialog::InitParameterFields() {
    ProfileStore& store = document_.Store();
    std::string keys;
    if (!store.ReadProfileText(sectionName_, "Keys", keys, kStoredText, store.FamilyFile(),
                               false)) {
        return;
    }
    const std::vector<std::string> keyList = Words(keys);
    for (std::size_t k = 0; k < keyList.size() && fields_.size() < kMaxValues; ++k) {
        WaveField field;
        field.controlId = kFirstControl + static_cast<int>(fields_.size());
        field.key = keyList[k];
        field.label = field.key;
        // A key without its default entry is taken without limits.
        field.low = -DBL_MAX;
        field.high = DBL_MAX;
        std::string entry;
        std::string defaultText;
        if (store.ReadProfileText(settings_.DefaultSection(), field.key, entry, kFamilyEntryText,
                                  store.FamilyFile(), false)) {
            const std::vector<std::string> words = Words(entry);
            if (!words.empty()) {
                defaultText = words[0];
            }
            if (words.size() > 1) {
                field.label = BlanksForUnderscores(words[1]);
            }
            if (words.size() > 2) {
                field.low = LeadingDouble(words[2]);
            }
            if (words.size() > 3) {
                field.high = LeadingDouble(words[3]);
            }
        }
        if (EqualsNoCase(field.key, "Cycl")) {
            field.high = document_.Length() / 2;
        }
        std::string text;
        if (!store.ReadProfileText(settings_.ParameterSection(), field.key, text, kStoredText,
                                   store.ContextFile(), false)) {
            text = defaultText;
        }
        const int index = static_cast<int>(fields_.size());
        if (IsCheckBoxKey(field.key)) {
            field.isCheckBox = true;
            field.checked = CheckedText(text);
            field.text = CheckBoxText(field.checked);
        } else {
            field.text = text;
            values_[index] = LeadingDouble(text);
        }
        fields_.push_back(field);
    }
}

void WaveParamDialog::ComputeCodeMapping() {
    const double low = WaveGeneratorSettings::LevelLow(document_);
    const double high = WaveGeneratorSettings::LevelHigh(document_);
    const AppState& state = document_.State();
    if (!fm_) {
        const int span = state.verticalSpan;
        codeFactor_ = span / (high - low + 1);
        codeOffset_ = -(span / 2) - codeFactor_ * low;
    } else if (document_.Mode().SamplesInHz()) {
        codeFactor_ = 1.0;
        codeOffset_ = 0.0;
    } else {
        codeFactor_ = 1000000000.0 / (high - low + 1);
        codeOffset_ = -codeFactor_ * low;
    }
}

void WaveParamDialog::SetFieldText(int index, const std::string& text) {
    if (index >= 0 && index < FieldCount()) {
        fields_[index].text = text;
        if (fields_[index].isCheckBox) {
            fields_[index].checked = CheckedText(text);
        }
    }
}

void WaveParamDialog::SetChecked(int index, bool checked) {
    if (index >= 0 && index < FieldCount() && fields_[index].isCheckBox) {
        fields_[index].checked = checked;
        fields_[index].text = CheckBoxText(checked);
    }
}

bool WaveParamDialog::SetFieldByKey(const std::string& key, const std::string& text) {
    std::string wanted = key;
    if (EqualsNoCase(wanted, "Fmin")) {
        wanted = "Wavmin";
    } else if (EqualsNoCase(wanted, "Fmax")) {
        wanted = "Wavmax";
    }
    for (int i = 0; i < FieldCount(); ++i) {
        if (EqualsNoCase(fields_[i].key, wanted)) {
            SetFieldText(i, text);
            return true;
        }
    }
    return false;
}

void WaveParamDialog::SetScreenPosition(int left, int top) {
    position_ = DialogPosition{left, top};
}

bool WaveParamDialog::RejectField(int index, double typed) {
    const WaveField& field = fields_[index];
    const std::string text =
        "Parameter " + std::to_string(index + 1) + CrtFormat(" value = %.2f \n", typed) +
        CrtFormat("Range: min= %.2f", field.low) + CrtFormat("  max=%.2f", field.high);
    document_.Ui().ShowText(text, MessageText(MsgValueOutOfRange), MessageButtons::Ok,
                            MessageIcon::Exclamation);
    fields_[index].text = CrtFormat("%.2f", values_[index]);
    return false;
}

// A text that is not a number as a whole (empty, "abc", "12abc") is refused like a number
// out of range; the message shows what the C library's atof would have read.
bool WaveParamDialog::ValidateField(int index) {
    WaveField& field = fields_[index];
    if (field.isCheckBox) {
        values_[index] = field.checked ? 1.0 : 0.0;
        return true;
    }
    const std::string text = field.text.substr(0, kFieldReadLength);
    double typed = 0.0;
    if (!ParseWholeDouble(text, typed)) {
        return RejectField(index, LeadingDouble(text));
    }
    if (!(typed >= field.low && typed <= field.high)) {
        return RejectField(index, typed);
    }
    values_[index] = typed;
    return true;
}

bool WaveParamDialog::ValidateParams() {
    for (int i = 0; i < FieldCount(); ++i) {
        if (!ValidateField(i)) {
            return false;
        }
    }
    if (!WaveGeneratorSettings::CheckOrder(values_, document_.Ui())) {
        return false;
    }
    SetViewAnchors(std::trunc(values_[0]), std::trunc(values_[1]));
    return true;
}

void WaveParamDialog::SetViewAnchors(double left, double right) {
    DocumentView* view = document_.View();
    if (view == nullptr) {
        return;
    }
    // The view draws its anchors inside the waveform whatever the fields say.
    const double last = std::max(0.0, document_.Length() - 1);
    view->SetAnchors(std::clamp(left, 0.0, last), std::clamp(right, 0.0, last));
}

void WaveParamDialog::Redraw() {
    if (DocumentView* view = document_.View()) {
        view->UpdateAllViews();
    }
}

void WaveParamDialog::RestoreAndRedraw() {
    if (!document_.RestoreSamples(snapshot_)) {
        document_.ReloadCurrentFile();
    }
    Redraw();
}

bool WaveParamDialog::Preview(const ProgressCallback& progress) {
    if (!ValidateParams()) {
        return false;
    }
    document_.RestoreSamples(snapshot_);
    if (!Generate(progress)) {
        RestoreAndRedraw();
        return false;
    }
    Redraw();
    return true;
}

void WaveParamDialog::MoveRangeOn() {
    const double length = document_.Length();
    if (values_[1] < length - 3) {
        values_[0] = values_[1] + 1;
        values_[1] = length - 1;
    }
}

void WaveParamDialog::WriteStoredTexts() {
    ProfileStore& store = document_.Store();
    // The form's fields are written together: a killed run leaves the old ones or all new.
    IniEntries texts;
    for (int i = 0; i < 4; ++i) {
        const std::string text = WaveGeneratorSettings::NumberText(values_[i]);
        texts.emplace_back(kCommonKeys[i],
                           i < 2 ? WaveGeneratorSettings::PointText(values_[i], text) : text);
    }
    std::string keys;
    // The family's key list is read first: a missing one is told, never under the lock.
    if (!EqualsNoCase(sectionName_, kNoiseSection) &&
        store.ReadProfileText(sectionName_, "Keys", keys, kFamilyEntryText, store.FamilyFile(),
                              false)) {
        const std::vector<std::string> keyList = Words(keys);
        for (std::size_t k = 0; k < keyList.size() && 4 + k < fields_.size(); ++k) {
            const WaveField& field = fields_[4 + k];
            texts.emplace_back(keyList[k], IsCheckBoxKey(keyList[k])
                                               ? CheckBoxText(field.checked)
                                               : field.text.substr(0, kStoredFieldLength));
        }
    }
    store.WriteProfileTexts(settings_.ParameterSection(), texts, store.ContextFile());
}

bool WaveParamDialog::Ok(const ProgressCallback& progress) {
    if (!ValidateParams()) {
        return false;
    }
    if (!document_.RestoreSamples(snapshot_)) {
        document_.ReportWriteFailure(snapshot_.Problem());
        RestoreAndRedraw();
        return false;
    }
    // One progress over the generation, the undo copy and the write, so that it stays
    // until the work is really done.
    LongJob job(progress);
    // A run bound to fail stores none of the form's fields and keeps the undo copy.
    if (!document_.CanWriteChange(document_.Length()) ||
        !Generate(job.Stage(GeneratedWaveform::kGenerationShare))) {
        RestoreAndRedraw();
        return false;
    }
    MoveRangeOn();
    WriteStoredTexts();
    if (position_) {
        settings_.WritePosition(*position_);
    }
    if (!GeneratedWaveform::Commit(document_, snapshot_, job)) {
        RestoreAndRedraw();
        return false;
    }
    Redraw();
    if (fm_) {
        document_.RebuildMarkerSamples();
    }
    return true;
}

void WaveParamDialog::Cancel() {
    RestoreAndRedraw();
    SetViewAnchors(initialLeft_, initialRight_);
}

void WaveParamDialog::Default() {
    settings_.LoadParamDefaults();
    Initialize();
}

long long WaveParamDialog::FirstPoint() const {
    return static_cast<long long>(values_[0]);
}

long long WaveParamDialog::PointCount() const {
    return static_cast<long long>(values_[1] - values_[0] + 1);
}

double WaveParamDialog::PointsPerCycle() const {
    return static_cast<double>(PointCount()) / Param(0);
}

double WaveParamDialog::HalfAmplitude() const {
    return (MaxLevel() - MinLevel()) * codeFactor_ / 2;
}

double WaveParamDialog::Centre() const {
    return (MaxLevel() + MinLevel()) * codeFactor_ / 2 + codeOffset_;
}

// Noise: the C library's generator, never reseeded, so a run repeats the same sequence.
// The centre term stays in level units, unconverted.
bool WaveParamDialog::Generate(const ProgressCallback& progress) {
    const double offCentre = fm_ ? 0.0 : 0.5;
    const double span = MaxLevel() - MinLevel();
    const double centre = (MaxLevel() + MinLevel()) / 2;
    const double k = codeFactor_;
    CrtRandom& random = *random_;
    return WaveGenerator::Fill(
        document_.EditPoints(FirstPoint(), PointCount()), progress, [&](auto& out, long long) {
            const double r = random.Next();
            WaveGenerator::StoreS5(out, (r / CrtRandom::kMax - offCentre) * span * k + centre);
        });
}
