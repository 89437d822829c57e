#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

class WaveDoc;
class WaveParamDialog;

// One entry of the Wave menu: a standard waveform kind with everything a face needs to
// offer it. The GUI's actions and menu, the command-line tool, the Python module and every
// check of "is this a Wave command" read the one table, so a new kind is one row here and
// its own generator.
struct WaveformKind {
    // Makes the kind's parameter form on the document (snapshot taken, not initialised).
    using ParamFormFactory = std::unique_ptr<WaveParamDialog> (*)(WaveDoc& document);

    int commandId;        // the menu id; the host and the profile files know these numbers
    const char* word;     // the name scripts use ("sine"), case ignored when read
    const char* menuText; // with its mnemonic ("&Sine...")
    const char* prompt;   // status text, a line end, the tool-tip
    const char* section;  // the family-file section of its settings; "" for the equation
    bool separatorBefore; // the menu draws a line above it
    // nullptr for the equation editor, which has a form of its own instead of parameters.
    ParamFormFactory makeParamForm;
};

class WaveformKinds {
public:
    // In menu order.
    static std::span<const WaveformKind> All();
    // nullptr for an id that is no Wave command.
    static const WaveformKind* Find(int commandId);
    // By its word, case ignored; nullptr for an unknown word.
    static const WaveformKind* Named(std::string_view word);
    // The words in menu order joined by `separator`; only the kinds with parameter forms
    // when `parameterFormsOnly`.
    static std::string Words(std::string_view separator, bool parameterFormsOnly = false);
};
