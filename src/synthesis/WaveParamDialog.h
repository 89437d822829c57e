#pragma once

#include "document/SampleSnapshot.h"
#include "synthesis/WaveGeneratorForm.h"
#include "synthesis/WaveGeneratorSettings.h"

#include <optional>
#include <string>
#include <vector>

class CrtRandom;
class WaveDoc;

// One field of a parameter dialog: an edit (or, for an "Inv" key, a check box) with its
// label, its settings key and the limits its value must keep.
struct WaveField {
    int controlId = 0; // 1196 + value index
    std::string key;   // settings key: "Prv_bgn", "Prv_end", "Wavmin", "Wavmax", "Cycl", ...
    std::string label; // shown next to the field
    std::string unit;  // "pts", "codes", "Hz" for the common fields; empty otherwise
    std::string text;  // the edit's text (the form's state; the face mirrors it)
    bool isCheckBox = false;
    bool checked = false;
    double low = 0.0;
    double high = 0.0;
};

// The parameter dialog of the standard waveforms: an anchor range (start, end), a level
// range (Min, Max) and the waveform's own parameters, whose titles, labels, limits and
// defaults come from the family file and whose last texts live in the context file.
// Preview draws from the snapshot taken at construction; OK keeps the result and commits
// it; Cancel puts the old samples back. As a plain class it is the Noise dialog; each
// other waveform overrides Generate.
class WaveParamDialog : public WaveGeneratorForm {
public:
    static constexpr int kMaxValues = 9;
    static constexpr int kFirstControl = 1196;
    static constexpr int kFirstLabel = 1100;
    static constexpr int kLevelGroup = 1110;

    // Takes the snapshot and, on a first use, the family's defaults into the context file.
    WaveParamDialog(WaveDoc& document, int templateId, std::string sectionName);
    ~WaveParamDialog() override;
    WaveParamDialog(const WaveParamDialog&) = delete;
    WaveParamDialog& operator=(const WaveParamDialog&) = delete;

    // WaveGeneratorForm
    void Initialize() override;
    bool Stopped() const override { return snapshot_.Stopped(); }
    bool SetFieldByKey(const std::string& key, const std::string& text) override;
    bool Preview(const ProgressCallback& progress = {}) override;
    bool Ok(const ProgressCallback& progress = {}) override;
    void Cancel() override;
    void Default() override;
    void SetScreenPosition(int left, int top) override;

    // Reads and checks every field (messages 3002 and 3003); on success the values are
    // taken and the view's anchors follow start and end.
    bool ValidateParams();
    // Draws the waveform between the anchors into the samples. False when cancelled.
    virtual bool Generate(const ProgressCallback& progress);
    void LoadParamDefaults() { settings_.LoadParamDefaults(); }

    // The point a stored start or end text names on a waveform whose last point is
    // `last`. A text in exponent form that lies past the last point only by the rounding
    // of its six significant digits ("1.6e7" for 15999999) meant the last point: the text
    // is then rewritten as that point. The equation editor follows the same rule.
    static double StoredRangePoint(std::string& text, double last);

    // The face's view of the form.
    int TemplateId() const { return templateId_; }
    const std::string& SectionName() const { return sectionName_; }
    const std::string& Title() const { return title_; }
    // "Waveform Amplitude" in the standard editor, "Peak Deviation" in the FM editor.
    std::string LevelGroupTitle() const;
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    const WaveField& Field(int index) const { return fields_[index]; }
    void SetFieldText(int index, const std::string& text);
    void SetChecked(int index, bool checked);
    // The stored screen position; nullopt means centre the dialog.
    const std::optional<DialogPosition>& Position() const { return position_; }

    double Value(int index) const { return values_[index]; }
    double CodeFactor() const { return codeFactor_; }
    double CodeOffset() const { return codeOffset_; }
    const std::string& SnapshotPath() const { return snapshot_.Path(); }

    // The generator of Noise draws from this sequence (the process-wide one by default).
    void UseRandomSource(CrtRandom& random) { random_ = &random; }

protected:
    // The first point s0 and the number of points N of the range (N <= 0: nothing).
    long long FirstPoint() const;
    long long PointCount() const;
    // A and C: half amplitude and centre in codes.
    double HalfAmplitude() const;
    double Centre() const;
    // The code of a level: v * k + c.
    double LevelCode(double level) const { return level * codeFactor_ + codeOffset_; }
    double MinLevel() const { return values_[2]; }
    double MaxLevel() const { return values_[3]; }
    // Parameter k in the order of the family's "Keys" (0 is the cycles).
    double Param(int k) const { return values_[4 + k]; }
    // Points per cycle: N / cycles.
    double PointsPerCycle() const;
    WaveDoc& Document() { return document_; }

private:
    void InitCommonFields();
    void InitParameterFields();
    void ComputeCodeMapping();
    void RestoreAndRedraw();
    bool ValidateField(int index);
    bool RejectField(int index, double typed);
    void MoveRangeOn();
    void WriteStoredTexts();
    void SetViewAnchors(double left, double right);
    void Redraw();

    WaveDoc& document_;
    int templateId_;
    std::string sectionName_;
    bool fm_;
    WaveGeneratorSettings settings_;
    SampleSnapshot snapshot_;
    std::string title_;
    std::vector<WaveField> fields_;
    double values_[kMaxValues] = {};
    double initialLeft_ = 0.0;
    double initialRight_ = 0.0;
    double codeFactor_ = 1.0;
    double codeOffset_ = 0.0;
    std::optional<DialogPosition> position_;
    CrtRandom* random_;
};
