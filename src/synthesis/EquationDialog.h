#pragma once

#include "document/SampleSnapshot.h"
#include "synthesis/StoredEquations.h"
#include "synthesis/WaveGeneratorForm.h"
#include "synthesis/WaveGeneratorSettings.h"
#include "synthesis/WaveParamDialog.h"

#include <optional>
#include <string>
#include <vector>

class EquationCycle;
class Expression;
class WaveDoc;

// The Equation Editor: a formula of the point number p drawn into the anchor range, either
// as its raw values or fitted to the level range and repeated a number of times (the level
// adjuster). Like the parameter dialogs it previews from a snapshot, commits on OK and
// restores on Cancel; it also keeps the list of stored equations.
class EquationDialog : public WaveGeneratorForm {
public:
    static constexpr int kTemplateId = 170;
    static constexpr int kFieldCount = 5;
    // Points evaluated between two progress questions.
    static constexpr long long kEvaluationBlock = 1 << 20;

    // How a generation ended. An evaluation error has shown its message; the points
    // before it keep their raw values.
    enum class GenerationResult { Completed, EvaluationError, Cancelled };

    explicit EquationDialog(WaveDoc& document);
    ~EquationDialog() override;
    EquationDialog(const EquationDialog&) = delete;
    EquationDialog& operator=(const EquationDialog&) = delete;

    // WaveGeneratorForm
    void Initialize() override;
    bool Stopped() const override { return snapshot_.Stopped(); }
    // Keys "Prv_bgn", "Prv_end", "Fmin" (or "Wavmin"), "Fmax" (or "Wavmax"), "Cycl" and
    // "Equ" for the equation text.
    bool SetFieldByKey(const std::string& key, const std::string& text) override;
    bool Preview(const ProgressCallback& progress = {}) override;
    bool Ok(const ProgressCallback& progress = {}) override;
    void Cancel() override;
    void Default() override;
    void SetScreenPosition(int left, int top) override;

    bool Validate();
    GenerationResult Generate(const ProgressCallback& progress = {});

    // Fields: start, end, Min, Max, cycles.
    int FieldCount() const { return kFieldCount; }
    const WaveField& Field(int index) const { return fields_[index]; }
    void SetFieldText(int index, const std::string& text);
    double Value(int index) const { return values_[index]; }
    std::string LevelGroupTitle() const;
    std::string EquationLabel() const;
    const std::optional<DialogPosition>& Position() const { return position_; }
    double CodeFactor() const { return codeFactor_; }

    // The equation edit and its list of stored equations.
    const std::string& EquationText() const { return equationText_; }
    void SetEquationText(const std::string& text) { equationText_ = text; }
    const std::vector<std::string>& StoredList() const { return stored_.Entries(); }
    int SelectedIndex() const { return stored_.SelectedIndex(); }
    // Selects a stored equation; the edit shows it.
    void SelectStored(int index);
    void StoreEquation();
    void RemoveEquation();
    // Asks for a waveform file and appends its name to the equation. False on cancel.
    bool Browse();

    // The level adjuster: Auto fits and repeats; Manual lets button 3 choose.
    void SetAutoMode(bool autoMode);
    bool AutoMode() const { return autoMode_; }
    bool ScaleButtonEnabled() const { return !autoMode_; }
    const std::string& ScaleButtonText() const { return scaleButtonText_; }
    void ToggleScale();
    bool ScaleFlag() const { return scale_; }

    // The help panel (button 4) starts hidden.
    bool HelpPanelShown() const { return helpShown_; }
    const std::string& HelpButtonText() const { return helpButtonText_; }
    void ToggleHelpPanel();

    const std::string& SnapshotPath() const { return snapshot_.Path(); }

private:
    void LoadFields();
    bool RejectField(int index, double typed);
    void SetViewAnchors(double left, double right);
    void Redraw();
    bool RunFirstPass(Expression& expression, const std::string& text, long long first,
                      long long last, int period, const ProgressCallback& progress,
                      EquationCycle& cycle, double& lowest, double& highest, bool& failed);
    bool RunSecondPass(EquationCycle& cycle, long long first, long long last, double scale,
                       double offset, const ProgressCallback& progress);
    void WriteStoredRange();

    WaveDoc& document_;
    bool fm_;
    WaveGeneratorSettings settings_;
    SampleSnapshot snapshot_;
    StoredEquations stored_;
    std::vector<WaveField> fields_;
    double values_[kFieldCount] = {};
    double codeFactor_ = 1.0;
    std::string equationText_;
    bool autoMode_ = true;
    bool scale_ = true;
    std::string scaleButtonText_ = "&Scale";
    bool helpShown_ = false;
    std::string helpButtonText_ = "Operands";
    std::optional<DialogPosition> position_;
    int browseFilterIndex_ = 0;
};
