#include "synthesis/GeneratorCommands.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/WaveDoc.h"
#include "synthesis/EquationDialog.h"
#include "synthesis/WaveParamDialog.h"
#include "synthesis/WaveformKinds.h"

bool GeneratorCommands::IsWaveCommand(int commandId) {
    return WaveformKinds::Find(commandId) != nullptr;
}

std::optional<int> GeneratorCommands::CommandOfName(std::string_view name) {
    const WaveformKind* kind = WaveformKinds::Named(name);
    return kind == nullptr ? std::nullopt : std::optional<int>(kind->commandId);
}

std::unique_ptr<WaveParamDialog> GeneratorCommands::CreateParamForm(WaveDoc& document,
                                                                    int commandId) {
    const WaveformKind* kind = WaveformKinds::Find(commandId);
    if (kind == nullptr || kind->makeParamForm == nullptr) {
        return nullptr;
    }
    return kind->makeParamForm(document);
}

std::unique_ptr<WaveGeneratorForm> GeneratorCommands::CreateForm(WaveDoc& document, int commandId) {
    if (std::unique_ptr<WaveParamDialog> form = CreateParamForm(document, commandId)) {
        return form;
    }
    if (IsWaveCommand(commandId)) {
        return std::make_unique<EquationDialog>(document);
    }
    return nullptr;
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
