#include "document/FileCommands.h"

#include "core/AppState.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentView.h"
#include "document/FileChooser.h"
#include "document/FormatConverter.h"
#include "document/TextExport.h"
#include "document/WaveDoc.h"
#include "document/WaveFileWriter.h"
#include "settings/AppServices.h"
#include "settings/FileHelpers.h"
#include "settings/TextFormat.h"

namespace {

enum SaveFormat { Binary = 0, SpaceDelimited = 1, CommaDelimited = 2 };

bool HasBinaryExtension(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    const std::string tail = name.substr(name.size() - 4);
    return EqualsNoCase(tail, ".wav") || EqualsNoCase(tail, ".wvf") || EqualsNoCase(tail, ".wfm");
}

std::string ExtensionOf(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    return ToUpperAscii(path.substr(dot + 1));
}

} // namespace

FileCommands::FileCommands(WaveDoc& document, FileChooser& chooser)
    : document_(document), chooser_(chooser) {}

void FileCommands::OnNew() {
    DocumentView* view = document_.View();
    if (document_.Services().state.IsPulse()) {
        if (view != nullptr) {
            view->UpdateAllViews();
        }
        return;
    }
    document_.SnapshotForUndo();
    document_.CreateDefault(static_cast<std::size_t>(document_.Length()));
    document_.CommitToWorkingFile();
    document_.ResetAnchors();
}

bool FileCommands::OnOpen() {
    int index = 0;
    const std::string chosen = chooser_.ChooseFile(true, index, document_.VisibleFileName());
    if (chosen.empty()) {
        return false;
    }
    return OpenChosen(chosen, index);
}

bool FileCommands::OpenChosen(const std::string& chosen, int index) {
    AppServices& services = document_.Services();
    document_.SnapshotForUndo();
    std::string path = chosen;
    FormatConverter converter(services.state, services.store);
    converter.ConvertToBinary(path, index, {document_.VerticalLow(), document_.VerticalHigh()});
    if (path.empty()) {
        services.ui.ShowMessage(MsgCannotConvert);
        return false;
    }
    services.state.lastFilePath = path;
    if (!document_.LoadWaveform(path, true)) {
        return false;
    }
    document_.SetVisibleFileName(document_.IsInWorkingFolder(path) ? std::string() : path);
    document_.WriteWaveform(document_.ActiveWorkingFile());
    document_.EnterInSegmentTable(path);
    if (services.state.wideFmSamples) {
        document_.Fm().RecomputeFmWindow(document_.Samples().Values64(),
                                         static_cast<long long>(document_.Length()));
    }
    document_.ApplyTitle();
    document_.ResetAnchors();
    return true;
}

void FileCommands::AfterSave(const std::string& path) {
    document_.EnterInSegmentTable(path);
    document_.SetCurrentPath(path);
    if (DocumentView* view = document_.View()) {
        view->SetMainTitle(std::string(ModeTitle(document_.Services().state.mode)) + " -> " + path);
    }
}

void FileCommands::OnSave() {
    const std::string name = document_.VisibleFileName();
    if (name.empty() || !HasBinaryExtension(name)) {
        document_.SetVisibleFileName({});
        OnSaveAs();
        return;
    }
    if (!document_.WriteWaveform(name)) {
        document_.Services().ui.ShowText("Cannot write the file\n" + name +
                                             "\nThe waveform was not saved.",
                                         "", MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    AfterSave(name);
    document_.ClearActiveModified();
}

bool FileCommands::OnSaveAs() {
    AppServices& services = document_.Services();
    int index = 0;
    const std::string path = chooser_.ChooseFile(false, index, document_.VisibleFileName());
    if (path.empty()) {
        return false;
    }
    if (document_.IsInWorkingFolder(path) &&
        services.ui.ShowMessage(MsgTemporaryFolder, MessageButtons::YesNo) != MessageAnswer::Yes) {
        return false;
    }
    document_.SetVisibleFileName(path);
    bool written = false;
    switch (index) {
    case SpaceDelimited:
        written = TextExport::ExportSpaced(document_.Samples(), path);
        break;
    case CommaDelimited:
        written = TextExport::ExportCsv(document_.Samples(), path);
        break;
    default:
        written = document_.WriteWaveform(path);
        if (written) {
            document_.ClearActiveModified();
        }
        break;
    }
    if (!written) {
        services.ui.ShowText("Cannot write the file\n" + path + "\nThe waveform was not saved.", "",
                             MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    AfterSave(path);
    return true;
}

bool FileCommands::CanUndo() const {
    return document_.Undo().CanUndo();
}

void FileCommands::OnUndo() {
    if (!CanUndo()) {
        return;
    }
    const std::string target = document_.ActiveWorkingFile();
    document_.Services().state.lastFilePath = target;
    CopyFileOver(document_.Undo().Path(), target);
    document_.Undo().Discard();
    document_.LoadWaveform(target, true);
    document_.SetVisibleFileName({});
    document_.ResetAnchors();
}

bool FileCommands::ExportTo(const std::string& path) {
    return ExportSamples(document_.Samples(), path, document_.Services().ui);
}

bool FileCommands::ExportSamples(const SampleBuffer& samples, const std::string& path,
                                 UserInterface& ui) {
    const std::string extension = ExtensionOf(path);
    bool written = false;
    if (extension == "WAV" || extension == "WVF" || extension == "WFM") {
        written = WaveFileWriter::WriteWaveform(samples, path);
    } else if (extension == "ASC" || extension == "ASF" || extension == "AFM") {
        written = TextExport::ExportSpaced(samples, path);
    } else if (extension == "CSV") {
        written = TextExport::ExportCsv(samples, path);
    } else {
        ui.ShowMessage(MsgIllegalExtension);
        return false;
    }
    if (!written) {
        ui.ShowText("Cannot write the file\n" + path, "", MessageButtons::Ok, MessageIcon::Error);
    }
    return written;
}
