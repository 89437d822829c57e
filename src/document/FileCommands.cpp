#include "document/FileCommands.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/LongJob.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentView.h"
#include "document/FileChooser.h"
#include "document/FormatConverter.h"
#include "document/PathText.h"
#include "document/TextExport.h"
#include "document/UndoSetAside.h"
#include "document/WaveDoc.h"
#include "document/WaveFileWriter.h"
#include "settings/FileHelpers.h"
#include "settings/ProfileStore.h"
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

// The position of the path's extension in the mode's save list (binary, space
// delimited, comma delimited), or -1 when the mode does not write that type.
int SaveFormatOf(const DocumentMode& mode, const std::string& path) {
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) {
        return -1;
    }
    const std::string extension = path.substr(dot + 1);
    const std::vector<std::string> types = mode.Extensions();
    for (int format : {Binary, SpaceDelimited, CommaDelimited}) {
        if (format < static_cast<int>(types.size()) &&
            EqualsNoCase(extension, types[static_cast<std::size_t>(format)])) {
            return format;
        }
    }
    return -1;
}

// The share of Undo's progress bar that the file copy takes; reading it back takes the rest.
constexpr double kUndoCopyShare = 0.5;
// The share of Open's progress bar that reading the file takes; writing the working file
// takes the rest.
constexpr double kOpenReadShare = 0.5;

} // namespace

FileCommands::FileCommands(WaveDoc& document, FileChooser& chooser)
    : document_(document), chooser_(chooser) {}

bool FileCommands::OnNew() {
    return NewWaveformOf(static_cast<std::size_t>(document_.Length()));
}

bool FileCommands::NewWaveformOf(std::size_t points) {
    DocumentView* view = document_.View();
    if (document_.Mode().RendersFromDesign()) {
        if (view != nullptr) {
            view->UpdateAllViews();
        }
        return true;
    }
    const bool made = document_.ApplyChange(
        "Making a new waveform",
        [this, points] {
            document_.CreateDefault(points);
            return true;
        },
        static_cast<double>(points));
    if (made) {
        document_.ResetAnchors();
    }
    return made;
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
    // The opened file must reach the segment table: a context file that cannot be
    // written stops the command before the undo copy and the working file change.
    ProfileStore& store = document_.Store();
    if (!store.CanWrite(store.ContextFile())) {
        return false;
    }
    UndoSetAside previousUndo(document_.Undo());
    if (!document_.SnapshotForUndo()) {
        return false;
    }
    std::string path = chosen;
    FormatConverter converter(document_.State(), store, document_.Mode());
    converter.ConvertToBinary(
        path, index, {document_.Limits().VerticalLow(), document_.Limits().VerticalHigh()});
    if (converter.Cancelled()) {
        // A cancelled import changes nothing, the undo step included.
        previousUndo.Cancel();
        return false;
    }
    if (path.empty()) {
        document_.Ui().ShowMessage(MsgCannotConvert);
        return false;
    }
    document_.NoteLastFile(path);
    // Reading the file and writing it as the working file are one job: a stop in either
    // leaves the waveform, the working file and the undo step as they were.
    LongJob job(document_.Ui(), "Opening " + path);
    if (!document_.LoadWaveform(path, true, job.Stage(kOpenReadShare))) {
        if (job.Cancelled()) {
            previousUndo.Cancel();
        }
        return false;
    }
    if (!document_.WriteWaveform(document_.ActiveWorkingFile(), job.Stage(1.0 - kOpenReadShare))) {
        // The working file keeps the waveform the host knows; so does the view.
        document_.ReturnToWorkingFile();
        if (job.Cancelled()) {
            previousUndo.Cancel();
        }
        return false;
    }
    document_.RememberOpenedFile(path);
    document_.EnterInSegmentTable(path);
    if (document_.Mode().SamplesInHz()) {
        document_.RecomputeFmWindow();
    }
    document_.ApplyTitle();
    document_.ResetAnchors();
    return true;
}

void FileCommands::AfterSave(const std::string& path, SavedMark mark) {
    document_.AdoptSavedFile(path, mark);
    if (DocumentView* view = document_.View()) {
        view->SetMainTitle(std::string(document_.Mode().Title()) + " -> " + path);
    }
}

bool FileCommands::OnSave() {
    const std::string name = document_.VisibleFileName();
    if (name.empty() || !HasBinaryExtension(name)) {
        document_.ForgetFileName();
        return OnSaveAs();
    }
    LongJob job(document_.Ui(), "Saving " + name);
    if (!document_.WriteWaveform(name, job.Stage(1.0))) {
        return false;
    }
    AfterSave(name, SavedMark::RemovedAfterEntry);
    return true;
}

bool FileCommands::OnSaveAs() {
    int index = 0;
    const std::string path = chooser_.ChooseFile(false, index, document_.VisibleFileName());
    if (path.empty()) {
        return false;
    }
    if (document_.IsInWorkingFolder(path) &&
        document_.Ui().ShowMessage(MsgTemporaryFolder, MessageButtons::YesNo) !=
            MessageAnswer::Yes) {
        return false;
    }
    std::string error;
    bool written = false;
    LongJob job(document_.Ui(), "Saving " + path);
    switch (index) {
    case SpaceDelimited:
        written = TextExport::ExportSpaced(document_.Samples(), path, &error, job.Stage(1.0));
        break;
    case CommaDelimited:
        written = TextExport::ExportCsv(document_.Samples(), path, &error, job.Stage(1.0));
        break;
    default:
        written = WaveFileWriter::WriteWaveform(document_.Samples(), path, &error, job.Stage(1.0));
        break;
    }
    if (!written) {
        // A stop leaves the file as it was and needs no message.
        if (!error.empty()) {
            document_.ReportWriteFailure(error);
        }
        return false;
    }
    const bool text = index == SpaceDelimited || index == CommaDelimited;
    AfterSave(path, text ? SavedMark::LeftSet : SavedMark::RemovedBeforeEntry);
    return true;
}

bool FileCommands::CanUndo() const {
    return document_.Undo().CanUndo();
}

bool FileCommands::OnUndo() {
    if (!CanUndo()) {
        return false;
    }
    const std::string target = document_.ActiveWorkingFile();
    LongJob job(document_.Ui(), "Undoing the last change");
    const CopyResult restored = document_.Undo().RestoreInto(target, job.Stage(kUndoCopyShare));
    if (restored.cancelled) {
        return false;
    }
    if (!restored.copied) {
        document_.ReportWriteFailure(restored.error);
        return false;
    }
    document_.NoteLastFile(target);
    // Past the copy there is no way back (the undo file is gone): the read is shown, not
    // stoppable.
    const ProgressCallback reading = job.Stage(1.0 - kUndoCopyShare);
    document_.LoadWaveform(target, true, [&reading](double done) {
        reading(done);
        return true;
    });
    document_.ForgetFileName();
    document_.ResetAnchors();
    return true;
}

bool FileCommands::ExportTo(const std::string& path) {
    return ExportSamples(document_.Samples(), path, document_.Ui(), document_.Mode());
}

bool FileCommands::ExportSamples(const SampleBuffer& samples, const std::string& path,
                                 UserInterface& ui, const DocumentMode& mode) {
    const int format = SaveFormatOf(mode, path);
    if (format < 0) {
        ui.ShowMessage(MsgIllegalExtension);
        return false;
    }
    if (FileExists(path) && !ui.ConfirmReplace(path)) {
        return false;
    }
    std::string error;
    bool written = false;
    if (format == SpaceDelimited) {
        written = TextExport::ExportSpaced(samples, path, &error);
    } else if (format == CommaDelimited) {
        written = TextExport::ExportCsv(samples, path, &error);
    } else {
        written = WaveFileWriter::WriteWaveform(samples, path, &error);
    }
    if (!written) {
        ui.ShowText("The waveform could not be written:\n" + error +
                        "\nThe file keeps its previous content.",
                    "", MessageButtons::Ok, MessageIcon::Error);
    }
    return written;
}
