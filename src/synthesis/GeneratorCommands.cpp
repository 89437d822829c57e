#include "synthesis/GeneratorCommands.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/WaveDoc.h"
#include "settings/TextFormat.h"
#include "synthesis/EquationDialog.h"
#include "synthesis/ExponentDialog.h"
#include "synthesis/GaussianDialog.h"
#include "synthesis/PulseDialog.h"
#include "synthesis/SincDialog.h"
#include "synthesis/SineDialog.h"
#include "synthesis/SquareDialog.h"
#include "synthesis/TriangleDialog.h"

#include <array>

namespace {

struct WaveCommand {
    int id;
    const char* name;
    const char* section;
};

constexpr std::array<WaveCommand, 9> kCommands{{
    {GeneratorCommands::kSineCommand, "sine", SineDialog::kSectionName},
    {GeneratorCommands::kTriangleCommand, "triangle", TriangleDialog::kSectionName},
    {GeneratorCommands::kSquareCommand, "square", SquareDialog::kSectionName},
    {GeneratorCommands::kSincCommand, "sinc", SincDialog::kSectionName},
    {GeneratorCommands::kGaussianCommand, "gaussian", GaussianDialog::kSectionName},
    {GeneratorCommands::kExponentCommand, "exponent", ExponentDialog::kSectionName},
    {GeneratorCommands::kPulseCommand, "pulse", PulseDialog::kSectionName},
    {GeneratorCommands::kNoiseCommand, "noise", "ArbNoise"},
    {GeneratorCommands::kEquationCommand, "equation", ""},
}};

constexpr int kNoiseTemplate = 171;

} // namespace

bool GeneratorCommands::IsWaveCommand(int commandId) {
    return commandId >= kSineCommand && commandId <= kEquationCommand;
}

std::optional<int> GeneratorCommands::CommandOfName(std::string_view name) {
    for (const WaveCommand& command : kCommands) {
        if (EqualsNoCase(std::string(name), command.name)) {
            return command.id;
        }
    }
    return std::nullopt;
}

std::string GeneratorCommands::SectionOfCommand(int commandId) {
    for (const WaveCommand& command : kCommands) {
        if (command.id == commandId) {
            return command.section;
        }
    }
    return {};
}

std::unique_ptr<WaveParamDialog> GeneratorCommands::CreateParamForm(WaveDoc& document,
                                                                    int commandId) {
    switch (commandId) {
    case kSineCommand:
        return std::make_unique<SineDialog>(document);
    case kTriangleCommand:
        return std::make_unique<TriangleDialog>(document);
    case kSquareCommand:
        return std::make_unique<SquareDialog>(document);
    case kSincCommand:
        return std::make_unique<SincDialog>(document);
    case kGaussianCommand:
        return std::make_unique<GaussianDialog>(document);
    case kExponentCommand:
        return std::make_unique<ExponentDialog>(document);
    case kPulseCommand:
        return std::make_unique<PulseDialog>(document);
    case kNoiseCommand:
        return std::make_unique<WaveParamDialog>(document, kNoiseTemplate, "ArbNoise");
    default:
        return nullptr;
    }
}

std::unique_ptr<WaveGeneratorForm> GeneratorCommands::CreateForm(WaveDoc& document, int commandId) {
    if (commandId == kEquationCommand) {
        return std::make_unique<EquationDialog>(document);
    }
    return CreateParamForm(document, commandId);
}

GeneratorCommands::RunResult GeneratorCommands::Run(WaveDoc& document, int commandId,
                                                    const FieldTexts& texts,
                                                    const ProgressCallback& progress) {
    RunResult result;
    if (document.Mode().RendersFromDesign() || !IsWaveCommand(commandId)) {
        result.outcome = Outcome::UnknownCommand;
        return result;
    }
    std::unique_ptr<WaveGeneratorForm> form = CreateForm(document, commandId);
    if (!form) {
        result.outcome = Outcome::UnknownCommand;
        return result;
    }
    form->Initialize();
    for (const auto& [key, text] : texts) {
        if (!form->SetFieldByKey(key, text)) {
            form->Cancel();
            result.outcome = Outcome::UnknownKey;
            result.unknownKey = key;
            return result;
        }
    }
    if (!form->Ok(progress)) {
        form->Cancel();
        result.outcome = Outcome::Refused;
    }
    return result;
}
