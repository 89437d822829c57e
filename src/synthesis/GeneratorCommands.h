#pragma once

#include "synthesis/WaveGenerator.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class WaveDoc;
class WaveGeneratorForm;
class WaveParamDialog;

// The Wave menu, as the GUI and the command-line tool both reach it: the form each kind
// of WaveformKinds builds, and the scripted run of a form (field texts by settings key, then OK).
class GeneratorCommands {
public:
    enum class Outcome {
        Done,           // OK closed the form: the waveform is generated and committed
        Refused,        // a rule refused the input (its message was shown) or it was cancelled
        UnknownKey,     // a --set key names no field of the form
        UnknownCommand, // not a Wave command, or the pulse designer (which has no Wave menu)
    };
    struct RunResult {
        Outcome outcome = Outcome::Done;
        std::string unknownKey;
    };
    using FieldTexts = std::vector<std::pair<std::string, std::string>>;

    // A kind of the Wave menu (WaveformKinds).
    static bool IsWaveCommand(int commandId);
    // A kind's word (case ignored) -> its command id.
    static std::optional<int> CommandOfName(std::string_view name);

    // The form of a kind with parameters, constructed on the document (snapshot taken) but
    // not yet initialised; nullptr for the equation editor and for any other id.
    static std::unique_ptr<WaveParamDialog> CreateParamForm(WaveDoc& document, int commandId);
    // Any Wave command, the equation editor included.
    static std::unique_ptr<WaveGeneratorForm> CreateForm(WaveDoc& document, int commandId);

    // The command without a window: the form on the active segment, initialised, the given
    // field texts set by their settings keys, then OK.
    static RunResult Run(WaveDoc& document, int commandId, const FieldTexts& texts,
                         const ProgressCallback& progress = {});
};
