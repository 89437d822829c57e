#pragma once

#include "document/SampleBuffer.h"
#include "document/SegmentTable.h"
#include "document/UndoStore.h"
#include "fm/FmSettings.h"

#include <functional>
#include <optional>
#include <string>

struct AppServices;
class DocumentView;

// The single document: the waveform of the active segment of the active channel, in the
// mode's sample type, with the limits the instrument family imposes. The waveform always
// lives in a file as well as in memory: every change writes the whole waveform back to
// the current file so that the host can pick it up by path.
class WaveDoc {
public:
    explicit WaveDoc(AppServices& services);
    // Frees the samples, deletes the download file "^^Dwn.wav" and tells the host that
    // the tool is closing (code 5, or 12 in FM mode).
    ~WaveDoc();
    WaveDoc(const WaveDoc&) = delete;
    WaveDoc& operator=(const WaveDoc&) = delete;

    // A close request raised before the view existed is handed to it now.
    void SetView(DocumentView* view);
    DocumentView* View() const { return view_; }

    // Loads (or creates with 1024 neutral points) the waveform of the active segment.
    void LoadActiveSegment();
    // Reads a binary waveform file; text types are converted first. With adopt, the file
    // becomes the current path after the resolution check.
    bool LoadWaveform(const std::string& path, bool adopt);
    // Writes the whole waveform; an empty path means the current file. A failure is told
    // to the user and leaves the file as it was.
    bool WriteWaveform(const std::string& path = {});
    // Replaces the waveform by n points of the neutral value.
    void CreateDefault(std::size_t n);
    // Cuts the waveform in memory to its first n points (the file is written by the caller).
    void KeepFirstPoints(std::size_t n);
    // The length field's text (control 2000).
    void SetLength(const std::string& fieldText);
    // The resolution rule: the length to use, or nullopt when the user cancelled.
    std::optional<double> CheckLength(double n);
    bool IsValidSegment(double n) const;
    void ResetAnchors();
    // Copies the current file whole to the undo file (or target). False, told to the user,
    // when the copy could not be written: the change that asked for it must not go on. A
    // current file that does not exist yet takes no snapshot and counts as done. Before an
    // undo copy (empty target) the change is checked with CanWriteChange, so that a change
    // bound to fail does not cost the user the previous undo step.
    bool SnapshotForUndo(const std::string& target = {}, double newPoints = -1);
    // Whether a change to newPoints points can be written: the working file is not
    // read-only and its folder has room for the undo copy and the new waveform. False is
    // told to the user.
    bool CanWriteChange(double newPoints);

    // The active segment's working file becomes the current path; the waveform is
    // written there and entered in the segment table. When the write fails (told to the
    // user) the samples are read back from the unchanged current file and false returned.
    bool CommitToWorkingFile();
    // Enters a file for the active segment (the FM pseudo-segment in FM mode), which marks
    // it modified; ClearActiveModified removes that mark.
    void EnterInSegmentTable(const std::string& path);
    void ClearActiveModified();
    // Sets the main window's text to the title rule: ModeTitle + shortened path.
    void ApplyTitle();

    // Cuts or zero-extends a file to `bytes` through AtomicFileWriter, never in place.
    static bool ResizeFile(const std::string& path, unsigned long long bytes,
                           std::string* error = nullptr);
    // Tells the user that a waveform file could not be written, and why.
    void ReportWriteFailure(const std::string& reason);
    // After a change that could not be written: the samples are those of the file again.
    void ReloadCurrentFile();
    // True once a write of this run failed (and was told): scripts end with a failure.
    bool WriteFailed() const { return writeFailed_; }
    // The neutral value of a new point: 0, 500000000, or the FM base in Hz.
    double NeutralValue() const;
    // The pseudo-segment of the FM waveform: -1, or -2 for the wide variant.
    int FmPseudoSegment() const;
    // The working file of the active segment (the FM working file in FM mode).
    std::string ActiveWorkingFile() const;
    // Path after converting a file whose name has no ".w": empty when not convertible.
    std::string ConvertIfText(const std::string& path);
    bool IsInWorkingFolder(const std::string& path) const;

    AppServices& Services() { return services_; }
    SampleBuffer& Samples() { return samples_; }
    const SampleBuffer& Samples() const { return samples_; }
    double Length() const { return length_; }
    // Sets the length member alone (the New command then builds the waveform).
    void SetLengthValue(double length) { length_ = length; }
    double LengthLow() const { return lengthLow_; }
    double LengthHigh() const { return lengthHigh_; }
    double SecondLow() const { return secondLow_; }
    double SecondHigh() const { return secondHigh_; }
    double VerticalLow() const { return verticalLow_; }
    double VerticalHigh() const { return verticalHigh_; }
    int ResolutionFactor() const { return resolutionFactor_; }
    int ChannelCount() const { return channelCount_; }
    bool IsFmDocument() const { return fmDocument_; }
    const std::string& CurrentPath() const { return currentPath_; }
    void SetCurrentPath(const std::string& path) { currentPath_ = path; }
    const std::string& VisibleFileName() const { return visibleFileName_; }
    void SetVisibleFileName(const std::string& name) { visibleFileName_ = name; }
    const std::string& WorkingFolder() const { return workingFolder_; }
    const UndoStore& Undo() const { return undo_; }
    SegmentTable& Segments() { return segments_; }
    FmSettings& Fm() { return fm_; }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    // Called after every load of an FM waveform (the marker list is rebuilt there).
    std::function<void()> onFmWaveformLoaded;
    // Converts a non-binary file by its extension (set by the file formats); returns the
    // binary path, or empty when the file cannot be converted.
    std::function<std::string(const std::string&)> convertByExtension;

private:
    void ReadStandardLimits();
    void ReadFmLimits();
    void ReadResolutionFactor();
    bool ReadSamplesFrom(const std::string& path, std::size_t count);
    bool RefuseOversize(const std::string& path, long long points);
    void ShowLength();
    void HideMap();

    AppServices& services_;
    DocumentView* view_ = nullptr;
    SegmentTable segments_;
    FmSettings fm_;
    UndoStore undo_;
    SampleBuffer samples_;

    int resolutionFactor_ = 2;
    bool loadingGuard_ = false;
    bool fmDocument_ = false;
    double lengthLow_ = 16;
    double lengthHigh_ = 16000000;
    double secondLow_ = 1;
    double secondHigh_ = 1;
    int channelCount_ = 1;
    std::string visibleFileName_;
    std::string workingFolder_;
    double length_ = 1024;
    double verticalLow_ = -8192;
    double verticalHigh_ = 8191;
    bool modified_ = false;
    bool pendingClose_ = false;
    bool writeFailed_ = false;
    std::string currentPath_;
};
