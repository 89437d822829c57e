#include "synthesis/WaveformKinds.h"

#include "settings/TextFormat.h"
#include "synthesis/ExponentDialog.h"
#include "synthesis/GaussianDialog.h"
#include "synthesis/PulseDialog.h"
#include "synthesis/SincDialog.h"
#include "synthesis/SineDialog.h"
#include "synthesis/SquareDialog.h"
#include "synthesis/TriangleDialog.h"

#include <array>

namespace {

template <class Dialog> std::unique_ptr<WaveParamDialog> Make(WaveDoc& document) {
    return std::make_unique<Dialog>(document);
}

// Noise has no generator class of its own: the plain form draws it.
constexpr int kNoiseTemplate = 171;
constexpr const char* kNoiseSection = "ArbNoise";

std::unique_ptr<WaveParamDialog> MakeNoise(WaveDoc& document) {
    return std::make_unique<WaveParamDialog>(document, kNoiseTemplate, kNoiseSection);
}

// The command ids are not a range: a new kind takes any free id.
constexpr std::array kKinds{
    WaveformKind{32790, "sine", "&Sine...", "Generate a sine wave between the anchors\nSine",
                 SineDialog::kSectionName, false, &Make<SineDialog>},
    WaveformKind{32791, "triangle", "&Triangle...",
                 "Generate a triangle wave between the anchors\nTriangle",
                 TriangleDialog::kSectionName, false, &Make<TriangleDialog>},
    WaveformKind{32792, "square", "S&quare...",
                 "Generate a square wave between the anchors\nSquare", SquareDialog::kSectionName,
                 false, &Make<SquareDialog>},
    WaveformKind{32793, "sinc", "Si&nc...", "Generate a sinc pulse between the anchors\nSinc",
                 SincDialog::kSectionName, false, &Make<SincDialog>},
    WaveformKind{32794, "gaussian", "&Gaussian...",
                 "Generate a Gaussian pulse between the anchors\nGaussian",
                 GaussianDialog::kSectionName, false, &Make<GaussianDialog>},
    WaveformKind{32795, "exponent", "&Exponent...",
                 "Generate an exponential wave between the anchors\nExponent",
                 ExponentDialog::kSectionName, false, &Make<ExponentDialog>},
    WaveformKind{32796, "pulse", "&Pulse...", "Generate a pulse wave between the anchors\nPulse",
                 PulseDialog::kSectionName, false, &Make<PulseDialog>},
    WaveformKind{32797, "noise", "N&oise...", "Generate noise between the anchors\nNoise",
                 kNoiseSection, false, &MakeNoise},
    WaveformKind{32798, "equation", "Equ&ation...",
                 "Generate a waveform from an equation\nEquation", "", true, nullptr},
};

} // namespace

std::span<const WaveformKind> WaveformKinds::All() {
    return kKinds;
}

const WaveformKind* WaveformKinds::Find(int commandId) {
    for (const WaveformKind& kind : kKinds) {
        if (kind.commandId == commandId) {
            return &kind;
        }
    }
    return nullptr;
}

const WaveformKind* WaveformKinds::Named(std::string_view word) {
    const std::string text(word);
    for (const WaveformKind& kind : kKinds) {
        if (EqualsNoCase(text, kind.word)) {
            return &kind;
        }
    }
    return nullptr;
}

std::string WaveformKinds::Words(std::string_view separator, bool parameterFormsOnly) {
    std::string text;
    for (const WaveformKind& kind : kKinds) {
        if (parameterFormsOnly && kind.makeParamForm == nullptr) {
            continue;
        }
        if (!text.empty()) {
            text += separator;
        }
        text += kind.word;
    }
    return text;
}
