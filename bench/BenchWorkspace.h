#pragma once

#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/DocumentMode.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/IniFile.h"
#include "settings/ProfileStore.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// The workspace a benchmark runs in: a scratch startup folder with the shipped family file,
// the user folder "$bch" holding the context file (which names the family), and a private
// registry. Everything goes when the workspace does.
struct BenchWorkspace {
    explicit BenchWorkspace(const std::string& name, OperatingMode mode = OperatingMode::Standard,
                            const std::string& family = "QW2182")
        : store(state, ui), services{state, store, ui, bus} {
        namespace fs = std::filesystem;
        root = fs::temp_directory_path() /
               ("wavesmith-bench-" + name + "-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "$bch");
        ::setenv("WAVESMITH_REGISTRY_DIR", (root / "registry").c_str(), 1);
        state.mode = mode;
        state.familyName = family;
        state.startupFolder = root.string() + "/";
        state.userTag = "$bch";
        state.userFolder = state.startupFolder + state.userTag;
        state.contextFile = state.userFolder + "/TempGlyp.cad";
        state.familyFile = state.startupFolder + family + ".fam";
        state.logFile = state.startupFolder + "Glyp.log";
        // A family the tool does not ship (the 256 M-point QW2182L) comes from the tests'.
        fs::path source = fs::path(WAVESMITH_FAMILIES) / (family + ".fam");
        if (!fs::exists(source)) {
            source = fs::path(WAVESMITH_TEST_FAMILIES) / (family + ".fam");
        }
        fs::copy_file(source, state.familyFile);
        Write("Instrument", "Family", family);
    }
    ~BenchWorkspace() { std::filesystem::remove_all(root); }
    BenchWorkspace(const BenchWorkspace&) = delete;
    BenchWorkspace& operator=(const BenchWorkspace&) = delete;

    // The run's mode, as the session makes it from the start-up facts.
    const DocumentMode& Mode() const { return DocumentMode::For(state.mode, state.wideFmSamples); }

    // One key of the context file.
    void Write(const std::string& section, const std::string& key, const std::string& value) {
        IniFile(state.contextFile).Write(section, key, value);
    }

    std::filesystem::path root;
    AppState state;
    RecordingUserInterface ui;
    RecordingHostBus bus;
    ProfileStore store;
    AppServices services;
};
