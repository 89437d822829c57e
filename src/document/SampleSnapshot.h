#pragma once

#include "settings/FileHelpers.h"

#include <string>

class SampleBuffer;
class UserInterface;

// The samples as they were when an editor (a generator dialog, the equation editor)
// opened, kept in "orgWave.tmp" of the per-user folder: the raw array, length x element width
// bytes, exactly the binary file layout of the mode, so that OK can copy it over the undo file.
// Preview and Cancel read it back. The file is deleted when the snapshot goes.
class SampleSnapshot {
public:
    explicit SampleSnapshot(std::string path) : path_(std::move(path)) {}
    ~SampleSnapshot();
    SampleSnapshot(const SampleSnapshot&) = delete;
    SampleSnapshot& operator=(const SampleSnapshot&) = delete;

    const std::string& Path() const { return path_; }

    // SaveSamples: the whole array to the file. False when it could not be written; the
    // dialog then cannot restore or commit and says so. False too when `progress`
    // answered stop: then Stopped() is true and nothing was written.
    bool Save(const SampleBuffer& samples, const ProgressCallback& progress = {});
    // The same with a progress display, for an editor that opens on a waveform so long
    // that the copy takes a while.
    bool Save(const SampleBuffer& samples, UserInterface& ui);
    bool Stopped() const { return stopped_; }
    // RestoreSamples: the array read back from the file (same length as when saved).
    bool Restore(SampleBuffer& samples) const;
    // Copies the snapshot whole over the document's undo file.
    CopyResult CopyTo(const std::string& undoPath, const ProgressCallback& progress = {}) const;
    // Why Restore or CopyTo failed: the write error of Save, or the file gone since.
    const std::string& Problem() const { return problem_; }

private:
    std::string path_;
    bool saved_ = false;
    bool stopped_ = false;
    std::string problem_;
};
