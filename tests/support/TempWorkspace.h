#pragma once

#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/DocumentMode.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/ProfileStore.h"

#include <string>
#include <vector>

class WaveDoc;

// A throw-away workspace as the host prepares it: a start-up folder holding a copy of a
// shipped family file, the per-user folder "$tst" with a context file, and a private
// registry folder. The state, the store and the recording fakes are ready to use.
class TempWorkspace {
public:
    explicit TempWorkspace(const std::string& family = "QW2182",
                           OperatingMode mode = OperatingMode::Standard);
    ~TempWorkspace();
    TempWorkspace(const TempWorkspace&) = delete;
    TempWorkspace& operator=(const TempWorkspace&) = delete;

    const std::string& Folder() const { return state.startupFolder; }
    // The mode the state names now (tests change the state's mode after construction).
    const DocumentMode& Mode() const { return DocumentMode::For(state.mode, state.wideFmSamples); }
    // Loads the active segment into a document of this workspace, as the view's first
    // update does.
    void OpenActiveSegment(WaveDoc& document);
    void SetContext(const std::string& section, const std::string& key, const std::string& value);
    std::string Context(const std::string& section, const std::string& key) const;
    // Writes a file of raw bytes (a waveform) and returns its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;
    static std::string ReadFile(const std::string& path);
    // The names of the entries of a folder, sorted.
    static std::vector<std::string> FolderEntries(const std::string& folder);
    // The shipped family files.
    static std::string FamiliesFolder();
    // Families that only the tests and benchmarks use (QW2182L: 256 M points per channel).
    static std::string TestFamiliesFolder();

    AppState state;
    RecordingUserInterface ui;
    RecordingHostBus bus;
    ProfileStore store;
    AppServices services;

private:
    std::string root_;
    std::string previousRegistryDir_;
};
