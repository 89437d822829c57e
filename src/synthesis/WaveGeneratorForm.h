#pragma once

#include "synthesis/WaveGenerator.h"

#include <string>

// What a Wave-menu dialog offers to whoever drives it: the Qt face, the command-line
// tool and the tests. The form keeps the field texts; the driver only forwards actions.
class WaveGeneratorForm {
public:
    virtual ~WaveGeneratorForm() = default;

    // Fills fields, labels, limits, title and position (dialog creation).
    virtual void Initialize() = 0;
    // True when the user stopped the copy of the waveform that the form keeps for Preview
    // and Cancel: the dialog then does not open.
    virtual bool Stopped() const = 0;
    // Sets the text of the field stored under a settings key ("Prv_bgn", "Prv_end",
    // "Wavmin"/"Fmin", "Wavmax"/"Fmax", "Cycl", the family's parameter keys, "Equ");
    // case is ignored. A check box takes "1"/"0". False for a key the form does not have.
    virtual bool SetFieldByKey(const std::string& key, const std::string& text) = 0;
    // Validates, then draws from the snapshot. False when refused or cancelled.
    virtual bool Preview(const ProgressCallback& progress = {}) = 0;
    // True when the form is done and the dialog closes.
    virtual bool Ok(const ProgressCallback& progress = {}) = 0;
    virtual void Cancel() = 0;
    virtual void Default() = 0;
    // The dialog's screen position as the face last saw it (written back on OK).
    virtual void SetScreenPosition(int left, int top) = 0;
};
