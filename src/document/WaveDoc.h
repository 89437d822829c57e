#pragma once

#include "document/DocumentFiles.h"
#include "document/DocumentFm.h"
#include "document/DocumentMode.h"
#include "document/FamilyLimits.h"
#include "document/SampleBuffer.h"
#include "document/SampleEdit.h"
#include "document/SampleSnapshot.h"
#include "document/SegmentTable.h"
#include "document/UndoStore.h"
#include "document/WaveformConversion.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>

struct AppServices;
struct AppState;
class ProfileStore;
class UserInterface;
class DocumentView;

// The single document: the waveform of the active segment of the active
// channel, in the mode's sample type, with the limits the instrument family
// imposes. The waveform always lives in a file as well as in memory: every
// change writes the whole waveform back to the current file so that the host
// can pick it up by path.
//
// Its parts: the samples (SampleBuffer) and the files they live in
// (WaveformFiles), the FM fields and markers (DocumentFm), the segment table, the undo
// file, and the limits read from the family (FamilyLimits). The current file
// and the name Save writes to change only through the operations that say why
// (a load, a commit, a save, an undo).
class WaveDoc {
public:
    // Without a conversion, only binary files can be read.
    WaveDoc(AppServices& services, const DocumentMode& mode,
            WaveformConversion* conversion = nullptr);
    // Frees the samples, deletes the download file "^^Dwn.wav" and tells the host
    // that the tool is closing (the mode's code).
    ~WaveDoc();
    WaveDoc(const WaveDoc&) = delete;
    WaveDoc& operator=(const WaveDoc&) = delete;

    // A close request raised before the view existed is handed to it now.
    void SetView(DocumentView* view);
    DocumentView* View() const { return view_; }

    // Reads a binary waveform file; text types are converted first. With adopt,
    // the file becomes the current path after the resolution check.
    // `progress` is asked while the samples are read; a stop keeps the waveform
    // and the length as they were and returns false.
    bool LoadWaveform(const std::string& path, bool adopt, const ProgressCallback& progress = {});
    // Writes the whole waveform; an empty path means the current file. A failure
    // is told to the user and leaves the file as it was; so does a stop through
    // `progress`, untold.
    bool WriteWaveform(const std::string& path = {}, const ProgressCallback& progress = {});
    // Replaces the waveform by n points of the neutral value.
    void CreateDefault(std::size_t n);
    // Shows the length in the length field (control 2000).
    void ShowLength();
    // Cuts the waveform in memory to the n points from first on (the file is
    // written by the caller).
    void KeepPoints(std::size_t first, std::size_t n);
    // The length field's text (control 2000).
    void SetLength(const std::string& fieldText);
    // The resolution rule (standard mode only): the length to use, or nullopt when
    // the user cancelled.
    std::optional<double> CheckLength(double n) { return limits_.CheckLength(services_, n); }
    void ResetAnchors();
    // Copies the current file whole to the undo file (or target). False, told to
    // the user, when the copy could not be written: the change that asked for it
    // must not go on. A current file that does not exist yet takes no snapshot
    // and counts as done. Before an undo copy (empty target) the change is
    // checked with CanWriteChange, so that a change bound to fail does not cost
    // the user the previous undo step.
    // A stop through `progress` leaves the old undo copy, untold.
    bool SnapshotForUndo(const std::string& target = {}, double newPoints = -1,
                         const ProgressCallback& progress = {});
    // Whether a change to newPoints points can be written: the working file is
    // not read-only and its folder has room for the undo copy and the new
    // waveform. False is told to the user.
    bool CanWriteChange(double newPoints);

    // The active segment's working file becomes the current path; the waveform is
    // written there and entered in the segment table. When the write fails (told
    // to the user) the samples are read back from the unchanged current file and
    // false returned; a stop through `progress` does the same, untold.
    bool CommitToWorkingFile(const ProgressCallback& progress = {});
    // The undo copy (for a change to newPoints points), `change` in memory and the
    // commit, as one job shown under `what` that the user can stop: a stop leaves the
    // waveform, its file and the undo step as they were. The change itself runs whole
    // (it is quick, and not every change can be taken back in memory); the samples are
    // read back from the unchanged file instead. False when nothing changed.
    bool ApplyChange(const std::string& what, const std::function<bool()>& change,
                     double newPoints = -1);
    // Enters a file for the active segment (the FM pseudo-segment in FM mode),
    // which marks it modified.
    void EnterInSegmentTable(const std::string& path);
    // Sets the main window's text to the mode's title rule.
    void ApplyTitle();

    // A file the user chose (opened, or the segment's entry) becomes the current
    // file; Save writes to it again unless it lies in the working folder.
    void AdoptFile(const std::string& path);
    // Save writes to a file the user opened, unless it lies in the working folder.
    void RememberOpenedFile(const std::string& path) { files_.NameAfter(path); }
    // A file just saved is entered for the active segment, with the save's change
    // of the modification mark, and becomes the current file and the name Save
    // writes to, even in the working folder (the user agreed to that).
    void AdoptSavedFile(const std::string& path, SavedMark mark);
    // The next Save asks for a name (after an undo, or when the name cannot be
    // saved to).
    void ForgetFileName() { files_.ForgetName(); }
    // A change could not be written: the active segment's working file is the
    // current file again, and the samples are read back from it.
    void ReturnToWorkingFile();
    // Tells the user that a waveform file could not be written, and why.
    void ReportWriteFailure(const std::string& reason);
    // After a change that could not be written: the samples are those of the file
    // again.
    void ReloadCurrentFile();
    // True once a write of this run failed (and was told): scripts end with a
    // failure.
    bool WriteFailed() const { return writeFailed_; }
    // The neutral value of a new point: 0, 500000000, or the FM base in Hz.
    double NeutralValue() const;
    // The segment and channel the waveform belongs to (the FM pseudo-segment on channel 0
    // in FM mode).
    std::pair<int, int> ActiveSlot() const;
    // The working file of the active segment (the FM working file in FM mode).
    std::string ActiveWorkingFile() const;
    bool IsInWorkingFolder(const std::string& path) const { return files_.IsInWorkingFolder(path); }

    // The start-up facts and the values the document keeps current, read-only: the
    // active channel and segment change only through the document and SegmentCommands.
    const AppState& State() const;
    ProfileStore& Store() const;
    UserInterface& Ui() const;
    // The last file opened or saved, for the next dialog.
    void NoteLastFile(const std::string& path);
    const SampleBuffer& Samples() const { return samples_; }
    // An edit in memory (a generator, an equation, a drawing, an edit operation)
    // of the points first .. first + count - 1, checked against the waveform (see
    // SampleEdit). The files keep the waveform the host knows until the edit is
    // written back with WriteWaveform; ReloadCurrentFile drops it.
    SampleEdit EditPoints(long long first, long long count) {
        return SampleEdit(samples_, first, count);
    }
    SampleEdit EditAllPoints() { return SampleEdit(samples_); }
    // The samples an editor set aside when it opened, back in memory (its Preview
    // and Cancel), their length too; false when the snapshot cannot be read.
    bool RestoreSamples(const SampleSnapshot& snapshot) { return snapshot.Restore(samples_); }
    double Length() const { return length_; }
    // A pulse design rendered into one segment: its point count is the waveform's length
    // for the download. The length field is left alone; in that mode it shows the
    // design's duration.
    void TakeRenderedLength(double points) { length_ = points; }
    // The lengths, ranges, resolution and channels the family allows.
    const FamilyLimits& Limits() const { return limits_; }
    const DocumentMode& Mode() const { return mode_; }
    bool IsFmDocument() const { return mode_.HasFmFields(); }
    const std::string& CurrentPath() const { return files_.Current(); }
    // The name Save writes to; empty when Save must ask.
    const std::string& VisibleFileName() const { return files_.SaveName(); }
    const UndoStore& Undo() const { return undo_; }
    const FmSettings& Fm() const { return fm_.Settings(); }

    // The FM fields change only through these: the deviation field's rule, a
    // reload from the files, and the window the wide variant takes from the
    // samples.
    std::string SetFmDeviation(const std::string& fieldText) { return fm_.SetDeviation(fieldText); }
    // True when the reload changed the deviation, the window or the function
    // mode.
    bool ReloadFmSettings() { return fm_.Reload(); }
    void RecomputeFmWindow() { fm_.RecomputeWindow(samples_, length_); }
    // Where the FM commands (":FM:DEV ...") and the deviation texts of the wide
    // variant go.
    void SendFmCommandsWith(FmSettings::CommandSender sender) {
        fm_.SendCommandsWith(std::move(sender));
    }
    void ShowFmDeviationWith(FmSettings::TextShower shower) {
        fm_.ShowDeviationWith(std::move(shower));
    }

    // The FM marker bar and the marker sample list, rebuilt from the stored
    // markers for the current window and samples (FM mode only).
    const FmMarkerLists& FmMarkers() const { return fm_.Markers(); }
    void RebuildMarkerBar() { fm_.RebuildBar(); }
    void RebuildMarkerSamples() { fm_.RebuildSamples(samples_, length_); }
    // Told after every rebuild of the marker bar (its window shows the items).
    void ShowMarkerBarWith(std::function<void()> shower) { fm_.onBarRebuilt = std::move(shower); }

private:
    void LoadFmLimits();
    // Marks the run as failed and tells the user what could not be written and
    // what became of the waveform.
    void TellFailure(const std::string& what, const char* outcome);
    // Path after converting a file whose name has no ".w": empty when not
    // convertible.
    std::string ConvertIfText(const std::string& path);
    void HideMap();

    AppServices& services_;
    const DocumentMode& mode_;
    WaveformConversion* conversion_;
    DocumentView* view_ = nullptr;
    SegmentTable segments_;
    DocumentFm fm_;
    UndoStore undo_;
    SampleBuffer samples_;

    FamilyLimits limits_;
    DocumentFiles files_;

    bool loadingGuard_ = false;
    double length_ = 1024;
    bool pendingClose_ = false;
    bool writeFailed_ = false;
};
