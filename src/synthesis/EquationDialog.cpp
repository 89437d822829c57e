#include "synthesis/EquationDialog.h"

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
#include "synthesis/EquationCycle.h"
#include "synthesis/Expression.h"
#include "synthesis/GeneratedWaveform.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

constexpr int kFieldText = 256;
constexpr std::size_t kFieldReadLength = 229;
constexpr std::size_t kEquationReadLength = 259;
constexpr const char* kKeys[EquationDialog::kFieldCount] = {"Prv_bgn", "Prv_end", "Fmin", "Fmax",
                                                            "Cycl"};
constexpr const char* kBrowseFolder = "KR4810";

// The formula's own values: 16-bit codes keep the low 16 bits of the truncated value, FM
// codes the truncated value, values in Hz the value itself.
void StoreRaw(std::int16_t& out, double v) {
    out = WaveGenerator::Low16(WaveGenerator::Int32(v));
}
void StoreRaw(std::int32_t& out, double v) {
    out = WaveGenerator::Int32(v);
}
void StoreRaw(double& out, double v) {
    out = v;
}

void StoreRawBlock(const SampleEdit& block, const std::vector<double>& values) {
    WaveGenerator::Fill(block, {}, [&](auto& out, long long i) { StoreRaw(out, values[i]); });
}

// The settings texts of the range: six significant digits, a "+00" of the exponent removed.
std::string RangeText(double value) {
    std::string text = CrtFormat("%g", value);
    const std::size_t plus = text.find("+00");
    if (plus != std::string::npos) {
        text.erase(plus, 3);
    }
    return text;
}

// The names and functions of the formula language are matched without regard to case, so
// only blanks are taken out; lower-casing would only change file names, whose case matters
// on this platform.
std::string FormulaText(const std::string& typed) {
    std::string text = typed.substr(0, kEquationReadLength);
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

} // namespace

EquationDialog::EquationDialog(WaveDoc& document)
    : document_(document), fm_(document.IsFmDocument()),
      settings_(document, "SmWav_Defpar", "SmWav_Par"),
      snapshot_(document.State().userFolder + kPathSeparator + "orgWave.tmp"),
      stored_(document.Store(), document.State().startupFolder + "Sm.Equ") {
    if (settings_.ParameterKeyCount() == 0) {
        settings_.LoadParamDefaults();
    }
    snapshot_.Save(document_.Samples(), document_.Ui());
}

EquationDialog::~EquationDialog() = default;

std::string EquationDialog::LevelGroupTitle() const {
    return fm_ ? "Peak Deviation" : "Waveform Amplitude";
}

std::string EquationDialog::EquationLabel() const {
    return fm_ ? "Frequency deviation (p) = " : "Amplitude(p) =";
}

void EquationDialog::Initialize() {
    const double length = document_.Length();
    const double low = WaveGeneratorSettings::LevelLow(document_);
    const double high = WaveGeneratorSettings::LevelHigh(document_);
    const std::string levelUnit = fm_ ? "Hz" : "codes";
    const int first = WaveParamDialog::kFirstControl;
    fields_ = {
        {first, kKeys[0], "Start", "pts", "", false, false, 0, length - 2},
        {first + 1, kKeys[1], "End", "pts", "", false, false, 2, length - 1},
        {first + 2, kKeys[2], "Min", levelUnit, "", false, false, low, high - 1},
        {first + 3, kKeys[3], "Max", levelUnit, "", false, false, low + 1, high},
        {first + 4, kKeys[4], "Cycles", "", "", false, false, 1, 10000},
    };
    const AppState& state = document_.State();
    if (!fm_) {
        codeFactor_ = state.verticalSpan / (high - low);
    } else {
        codeFactor_ = document_.Mode().SamplesInHz() ? 1.0 : 1000000000.0 / (high - low);
    }
    position_ = settings_.ReadPosition();
    helpShown_ = false;
    helpButtonText_ = "Operands";
    SetAutoMode(true);
    LoadFields();
    stored_.Load();
    equationText_ = stored_.SelectedText();
}

void EquationDialog::LoadFields() {
    ProfileStore& store = document_.Store();
    const std::string& section = settings_.ParameterSection();
    std::string text;
    for (const char* key : kKeys) {
        if (!store.ReadProfileText(section, key, text, kFieldText, store.ContextFile(), true)) {
            settings_.LoadParamDefaults();
            break;
        }
    }
    const double last = document_.Length() - 1;
    for (int i = 0; i < kFieldCount; ++i) {
        text.clear();
        store.ReadProfileText(section, kKeys[i], text, kFieldText, store.ContextFile(), false);
        values_[i] = i < 2 ? WaveParamDialog::StoredRangePoint(text, last) : LeadingDouble(text);
        fields_[i].text = text;
    }
}

void EquationDialog::SetFieldText(int index, const std::string& text) {
    if (index >= 0 && index < kFieldCount) {
        fields_[index].text = text;
    }
}

bool EquationDialog::SetFieldByKey(const std::string& key, const std::string& text) {
    if (EqualsNoCase(key, "Equ")) {
        equationText_ = text;
        return true;
    }
    std::string wanted = key;
    if (EqualsNoCase(wanted, "Wavmin")) {
        wanted = "Fmin";
    } else if (EqualsNoCase(wanted, "Wavmax")) {
        wanted = "Fmax";
    }
    for (int i = 0; i < kFieldCount; ++i) {
        if (EqualsNoCase(wanted, kKeys[i])) {
            fields_[i].text = text;
            return true;
        }
    }
    return false;
}

void EquationDialog::SetScreenPosition(int left, int top) {
    position_ = DialogPosition{left, top};
}

bool EquationDialog::RejectField(int index, double typed) {
    const WaveField& field = fields_[index];
    const std::string text =
        "Parameter " + std::to_string(index + 1) + " Value = " + CrtFormat("%g", typed) +
        "\nParameter range:" + CrtFormat("%g", field.low) + " -> " + CrtFormat("%g", field.high);
    document_.Ui().ShowText(text, MessageText(MsgValueOutOfRange), MessageButtons::Ok,
                            MessageIcon::Exclamation);
    const std::string previous = WaveGeneratorSettings::NumberText(values_[index]);
    fields_[index].text =
        index < 2 ? WaveGeneratorSettings::PointText(values_[index], previous) : previous;
    return false;
}

// A text that is not a number as a whole is refused like a number out of range.
bool EquationDialog::Validate() {
    for (int i = 0; i < kFieldCount; ++i) {
        const std::string text = fields_[i].text.substr(0, kFieldReadLength);
        double typed = 0.0;
        if (!ParseWholeDouble(text, typed)) {
            return RejectField(i, LeadingDouble(text));
        }
        if (!(typed >= fields_[i].low && typed <= fields_[i].high)) {
            return RejectField(i, typed);
        }
        values_[i] = typed;
    }
    if (!WaveGeneratorSettings::CheckOrder(values_, document_.Ui())) {
        return false;
    }
    SetViewAnchors(std::trunc(values_[0]), std::trunc(values_[1]));
    return true;
}

void EquationDialog::SetViewAnchors(double left, double right) {
    if (DocumentView* view = document_.View()) {
        view->SetAnchors(left, right);
    }
}

void EquationDialog::Redraw() {
    if (DocumentView* view = document_.View()) {
        view->UpdateAllViews();
    }
}

// First pass: the raw values over the whole range, which also give the lowest and highest
// value. The cycle takes the values of the first cycle if it keeps them.
bool EquationDialog::RunFirstPass(Expression& expression, const std::string& formula,
                                  long long first, long long last, int period,
                                  const ProgressCallback& progress, EquationCycle& cycle,
                                  double& lowest, double& highest, bool& failed) {
    std::string text = formula;
    const double share = scale_ ? 0.5 : 1.0;
    for (long long from = first; from <= last; from += kEvaluationBlock) {
        const long long to = std::min(last, from + kEvaluationBlock - 1);
        const ExpressionRange block = expression.EvaluateRange(text, from, to, period);
        for (double v : block.values) {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        cycle.Offer(from - first, block.values);
        StoreRawBlock(document_.EditPoints(from, static_cast<long long>(block.values.size())),
                      block.values);
        if (block.errorId != 0) {
            failed = true;
            return true;
        }
        if (progress && !progress(share * static_cast<double>(to - first + 1) /
                                  static_cast<double>(last - first + 1))) {
            return false;
        }
    }
    return true;
}

// Second pass: the first `step` points' values repeated `cycles` times over the range,
// mapped with the scale of the whole first pass.
bool EquationDialog::RunSecondPass(EquationCycle& cycle, long long first, long long last,
                                   double scale, double offset, const ProgressCallback& progress) {
    const double step = static_cast<double>(last - first) / values_[4];
    const double start = static_cast<double>(first);
    const long long lastKept = static_cast<long long>(cycle.Length()) - 1;
    const ProgressCallback secondHalf = [&](double done) {
        return !progress || progress(0.5 + done / 2);
    };
    return WaveGenerator::Fill(
        document_.EditPoints(first, last - first + 1), secondHalf, [&](auto& out, long long i) {
            const long long q = static_cast<long long>(std::fmod(double(i), step) + start);
            const double v = cycle.At(static_cast<std::size_t>(std::min(q - first, lastKept)));
            StoreRaw(out, v * scale + offset);
        });
}

EquationDialog::GenerationResult EquationDialog::Generate(const ProgressCallback& progress) {
    const long long first = static_cast<long long>(values_[0]);
    const long long last = static_cast<long long>(values_[1]);
    const int period = WaveGenerator::Int32(static_cast<double>(last - first + 1));
    const double range = (values_[3] - values_[2]) * codeFactor_;
    const double step = static_cast<double>(last - first) / values_[4];
    // q - first stays below step + 1, and one more for the rounding of fmod + first.
    const long long kept = std::min(last - first + 1, static_cast<long long>(step) + 2);
    const std::size_t keep = static_cast<std::size_t>(std::max(1LL, kept));
    const SampleBuffer& samples = document_.Samples();
    const std::size_t waveformBytes =
        samples.Size() * static_cast<std::size_t>(ElementWidth(samples.Kind()));
    Expression expression(fm_, document_.State().startupFolder, document_.Ui());
    expression.SetAmplitude(WaveGenerator::Int32(range) / 2);
    const std::string formula = FormulaText(equationText_);
    EquationCycle cycle(
        keep, last - first + 1, kEvaluationBlock, scale_ && keep * sizeof(double) <= waveformBytes,
        [&](long long from, long long to) {
            std::string text = formula;
            return expression.EvaluateRange(text, first + from, first + to, period).values;
        });
    double lowest = 1e30;
    double highest = -1e30;
    bool failed = false;
    if (!RunFirstPass(expression, formula, first, last, period, progress, cycle, lowest, highest,
                      failed)) {
        return GenerationResult::Cancelled;
    }
    if (failed) {
        return GenerationResult::EvaluationError;
    }
    if (!scale_) {
        return GenerationResult::Completed;
    }
    const double scale = highest == lowest ? 1.0 : range / (highest - lowest);
    const bool codesOverWindow = fm_ && !document_.Mode().SamplesInHz();
    const double base = codesOverWindow ? 0.0 : values_[2];
    const double offset = base - scale * lowest;
    if (!RunSecondPass(cycle, first, last, scale, offset, progress)) {
        return GenerationResult::Cancelled;
    }
    return GenerationResult::Completed;
}

bool EquationDialog::Preview(const ProgressCallback& progress) {
    if (!Validate()) {
        return false;
    }
    document_.RestoreSamples(snapshot_);
    const GenerationResult result = Generate(progress);
    if (result == GenerationResult::Cancelled) {
        document_.RestoreSamples(snapshot_);
    }
    Redraw();
    return result == GenerationResult::Completed;
}

void EquationDialog::WriteStoredRange() {
    const double length = document_.Length();
    const double last = std::trunc(values_[1]);
    if (last < length - 3) {
        values_[0] = last + 1;
        values_[1] = length - 1;
    }
    ProfileStore& store = document_.Store();
    for (int i = 0; i < 4; ++i) {
        const std::string text = RangeText(values_[i]);
        store.WriteProfileText(settings_.ParameterSection(), kKeys[i],
                               i < 2 ? WaveGeneratorSettings::PointText(values_[i], text) : text,
                               store.ContextFile());
    }
}

// An evaluation error does not stop OK: the points before it keep their raw values.
bool EquationDialog::Ok(const ProgressCallback& progress) {
    if (!Validate()) {
        return false;
    }
    if (!document_.RestoreSamples(snapshot_)) {
        document_.ReportWriteFailure(snapshot_.Problem());
        Cancel();
        return false;
    }
    // One progress over the generation, the undo copy and the write.
    LongJob job(progress);
    // A run bound to fail stores none of the form's fields and keeps the undo copy.
    if (!document_.CanWriteChange(document_.Length()) ||
        Generate(job.Stage(GeneratedWaveform::kGenerationShare)) == GenerationResult::Cancelled) {
        Cancel();
        return false;
    }
    if (!equationText_.empty()) {
        stored_.Store(equationText_);
    }
    WriteStoredRange();
    if (position_) {
        settings_.WritePosition(*position_);
    }
    if (!GeneratedWaveform::Commit(document_, snapshot_, job)) {
        Cancel();
        return false;
    }
    if (fm_) {
        document_.RebuildMarkerSamples();
    }
    Redraw();
    return true;
}

void EquationDialog::Cancel() {
    if (!document_.RestoreSamples(snapshot_)) {
        document_.ReloadCurrentFile();
    }
    Redraw();
}

void EquationDialog::Default() {
    settings_.LoadParamDefaults();
    LoadFields();
}

void EquationDialog::SelectStored(int index) {
    stored_.Select(index);
    equationText_ = stored_.SelectedText();
}

void EquationDialog::StoreEquation() {
    stored_.Store(equationText_);
}

void EquationDialog::RemoveEquation() {
    stored_.Remove();
    equationText_ = stored_.SelectedText();
}

// Auto always scales, and the disabled button then says so.
void EquationDialog::SetAutoMode(bool autoMode) {
    autoMode_ = autoMode;
    if (autoMode_) {
        scale_ = true;
        scaleButtonText_ = "&Scale";
    }
}

void EquationDialog::ToggleScale() {
    if (autoMode_) {
        return;
    }
    if (StartsWithNoCase(scaleButtonText_, "&Sca")) {
        scaleButtonText_ = "&Original";
        scale_ = false;
    } else {
        scaleButtonText_ = "&Scale";
        scale_ = true;
    }
}

void EquationDialog::ToggleHelpPanel() {
    if (StartsWithNoCase(helpButtonText_, "Oper")) {
        helpShown_ = true;
        helpButtonText_ = "Reduce <<";
    } else {
        helpShown_ = false;
        helpButtonText_ = "Operands>>";
    }
}

// The chosen file becomes a name relative to the start-up folder, the folder the formula's
// file operands are read from, written with "\" (which the formula language reads as a
// path separator, while "/" divides). The FM editors offer the files the language reads
// there: 32-bit ".wvf" files, also in the wide variant.
bool EquationDialog::Browse() {
    const AppState& state = document_.State();
    const std::string extension = fm_ ? "wvf" : "wav";
    FileQuestion question;
    question.title = "Waveform File Operand";
    question.filters = {{"Binary   (*." + extension + ")", {"." + extension}}};
    question.filterIndex = browseFilterIndex_;
    question.folder = state.startupFolder + kBrowseFolder;
    question.defaultExtension = extension;
    const std::optional<FileChoice> choice = document_.Ui().AskOpenFile(question);
    if (!choice) {
        return false;
    }
    browseFilterIndex_ = choice->filterIndex;
    namespace fs = std::filesystem;
    fs::path path(choice->path);
    std::string name;
    if (!path.has_extension()) {
        path += "." + extension;
    }
    if (path.extension().string() == "." + extension) {
        const fs::path folder = fs::path(state.startupFolder).parent_path();
        const fs::path relative = path.lexically_relative(folder);
        name = relative.empty() ? path.string() : relative.string();
        std::replace(name.begin(), name.end(), '/', '\\');
    }
    equationText_ += name;
    return true;
}
