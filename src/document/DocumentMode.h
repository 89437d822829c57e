#pragma once

#include "core/OperatingMode.h"
#include "document/SampleBuffer.h"
#include "link/LinkMode.h"

#include <optional>
#include <string>
#include <vector>

// What differs between the standard editor, the FM editor (and its wide variant) and the
// pulse designer, as the document, its files, its limits and its download see it. Code
// outside the modes asks the mode instead of testing which one is running. The modes
// hold no state: one object of each serves the whole run.
class DocumentMode : public LinkMode {
public:
    // The one place that turns the start-up facts into a mode.
    static const DocumentMode& For(OperatingMode mode, bool wideFm);

    // "Wavesmith", "FM Wavesmith" or "Pulsesmith"; and the word scripts use.
    const char* Title() const { return ModeTitle(start_); }
    const char* Word() const { return ModeWord(start_); }
    // The main window's text with the current file (the pulse designer shows no file).
    virtual std::string WindowTitle(const std::string& currentPath) const;

    virtual SampleKind Kind() const = 0;
    // The file types the chooser offers, in filter order, for open and save alike.
    virtual std::vector<std::string> Extensions() const = 0;
    // The dialog filter, "description|pattern|...||".
    virtual std::string FilterText(bool open) const = 0;
    // The column and trace formats (comma, prn, txt, LeCroy) are read in the standard
    // modes only.
    virtual bool ImportsColumnsAndTraces() const { return true; }

    // The FM editor works on one pseudo-segment (-1, or -2 for the wide variant) instead
    // of the active segment of the active channel; the other modes have none.
    virtual std::optional<int> PseudoSegment() const { return std::nullopt; }
    bool HasFmFields() const { return PseudoSegment().has_value(); }
    // The wide FM variant's samples are frequencies in Hz, kept as 64-bit numbers so that
    // values come back from text exactly: a new waveform is the carrier, the frequency
    // window follows the samples instead of the deviation, and generators write Hz.
    virtual bool SamplesInHz() const { return false; }
    // The segment field shows the deviation in the FM editor (not in the wide variant).
    virtual bool SegmentFieldShowsDeviation() const { return false; }
    virtual const char* UndoFileName() const { return "UndoSM.wav"; }

    // The pulse designer's waveform is rendered from its design: New only redraws, and
    // the limits stay the defaults.
    virtual bool RendersFromDesign() const { return false; }
    // The resolution rule binds the lengths of the standard editor only.
    virtual bool BindsLengthToResolution() const { return false; }

    int ClosingNotify() const override;
    std::optional<int> CloseRequest() const override;
    int PlaceRequest() const override;

protected:
    explicit DocumentMode(OperatingMode start) : start_(start) {}

private:
    OperatingMode start_;
};
