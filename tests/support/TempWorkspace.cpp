#include "support/TempWorkspace.h"

#include "document/SegmentCommands.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string UniqueFolder() {
    static std::atomic<int> counter{0};
    const fs::path path =
        fs::temp_directory_path() /
        ("wavesmith-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path);
    fs::create_directories(path);
    return path.string();
}

} // namespace

std::string TempWorkspace::FamiliesFolder() {
    return WAVESMITH_SOURCE_DIR "/host/families";
}

std::string TempWorkspace::TestFamiliesFolder() {
    return WAVESMITH_SOURCE_DIR "/tests/support/families";
}

TempWorkspace::TempWorkspace(const std::string& family, OperatingMode mode)
    : store(state, ui), services{state, store, ui, bus} {
    root_ = UniqueFolder();
    state.mode = mode;
    state.familyName = family;
    state.wideFmSamples = mode == OperatingMode::Fm && family.rfind("G4270", 0) == 0;
    if (family.rfind("G4270", 0) == 0) {
        state.hostKey = "Software\\Quellwerk\\Glyptor3.2";
    }
    state.startupFolder = root_ + "/";
    state.userTag = "$tst";
    state.userFolder = state.startupFolder + state.userTag;
    state.contextFile = state.userFolder + "/TempGlyp.cad";
    state.familyFile = state.startupFolder + family + ".fam";
    state.logFile = state.startupFolder + "Glyp.log";
    fs::create_directories(state.userFolder);
    fs::create_directories(root_ + "/registry");
    if (const char* old = std::getenv("WAVESMITH_REGISTRY_DIR")) {
        previousRegistryDir_ = old;
    }
    ::setenv("WAVESMITH_REGISTRY_DIR", (root_ + "/registry").c_str(), 1);

    fs::path source = fs::path(FamiliesFolder()) / (family + ".fam");
    if (!fs::exists(source)) {
        source = fs::path(TestFamiliesFolder()) / (family + ".fam");
    }
    if (fs::exists(source)) {
        fs::copy_file(source, state.familyFile, fs::copy_options::overwrite_existing);
    }
    const bool wide = family.rfind("G4270", 0) == 0;
    SetContext("Instrument", "Family", family);
    SetContext("Instrument", "Channels", "2");
    SetContext("Settings", "ActiveCh", "0");
    SetContext("Settings", "ActiveSeg", "1 1");
    SetContext("Settings", "Rsclk", "0");
    SetContext("Settings", "Wfmt", "0");
    SetContext("Settings", "Sclk", wide ? "100e6" : "1e9");
    SetContext("Settings", "WformMode", "1");
    SetContext("Settings", "FmFuncMode", "0");
    SetContext("Settings", "FmCarFrq", wide ? "10e6" : "100e6");
    SetContext("Settings", "FmDev0", wide ? "1e6" : "10e6");
    SetContext("Settings", "Ampl", "1");
    SetContext("FmSmith", "FmLen", "1000");
    SetContext("FmSmith", "StdFmbase", "100e6");
}

void TempWorkspace::OpenActiveSegment(WaveDoc& document) {
    SegmentCommands(document, services).OpenActiveSegment();
}

TempWorkspace::~TempWorkspace() {
    if (previousRegistryDir_.empty()) {
        ::unsetenv("WAVESMITH_REGISTRY_DIR");
    } else {
        ::setenv("WAVESMITH_REGISTRY_DIR", previousRegistryDir_.c_str(), 1);
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TempWorkspace::SetContext(const std::string& section, const std::string& key,
                               const std::string& value) {
    IniFile(state.contextFile).Write(section, key, value);
}

std::string TempWorkspace::Context(const std::string& section, const std::string& key) const {
    return IniFile(state.contextFile).Read(section, key).value_or("");
}

std::string TempWorkspace::WriteFile(const std::string& name, const std::string& bytes) const {
    const std::string path = state.startupFolder + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string TempWorkspace::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> TempWorkspace::FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
