#pragma once

#include <string>

class SampleBuffer;

// The samples as they were when a generator dialog opened, kept in "orgWave.tmp" of the
// per-user folder: the raw array, length x element width bytes, exactly the binary file
// layout of the mode, so that OK can copy it over the undo file. Preview and Cancel read
// it back. The file is deleted when the snapshot goes.
class WaveGeneratorSnapshot {
public:
    explicit WaveGeneratorSnapshot(std::string path) : path_(std::move(path)) {}
    ~WaveGeneratorSnapshot();
    WaveGeneratorSnapshot(const WaveGeneratorSnapshot&) = delete;
    WaveGeneratorSnapshot& operator=(const WaveGeneratorSnapshot&) = delete;

    const std::string& Path() const { return path_; }

    // SaveSamples: the whole array to the file.
    bool Save(const SampleBuffer& samples);
    // RestoreSamples: the array read back from the file (same length as when saved).
    bool Restore(SampleBuffer& samples) const;
    // Copies the snapshot over the document's undo file.
    bool CopyTo(const std::string& undoPath) const;

private:
    std::string path_;
};
