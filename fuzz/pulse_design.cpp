// Any bytes as a context file, then editor operations chosen by the last bytes: opening the
// design never fails, the active section stays inside a list of at least one section, and
// no key outside the design's sections changes.
#include "core/AppServices.h"
#include "core/AppState.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseTimeUnits.h"
#include "settings/IniFile.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kOperationBytes = 12;

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        const auto path = std::filesystem::temp_directory_path() /
                          ("ws-fuzz-pulse-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path / "registry");
        ::setenv("WAVESMITH_REGISTRY_DIR", (path / "registry").c_str(), 1);
        static const std::filesystem::path removeAtExit = path;
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(removeAtExit, error);
        });
        return path;
    }();
    return folder;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "pulse_design: %s\n", what);
        std::abort();
    }
}

using Snapshot = std::map<std::string, IniEntries>;

Snapshot OutsideDesign(const IniFile& file) {
    Snapshot snapshot;
    for (const std::string& name : file.SectionNames()) {
        if (!StartsWithNoCase(name, "Pulse")) {
            snapshot[ToUpperAscii(name)] = file.ReadSection(name);
        }
    }
    return snapshot;
}

const char* const kTexts[] = {"0",     "1",       "2.5",  "-0.4",     "0.5",   "",
                              "1e400", "nan",     "0x10", "1,5",      "12abc", " 3 ",
                              "1e-9",  "1000000", "-1",   "0.0000001"};

void Operate(PulseEditor& editor, PulseDesign& design, RecordingUserInterface& ui,
             std::uint8_t code, std::uint8_t argument) {
    const int line = argument % (editor.LineCount() + 1);
    const std::string text = kTexts[argument % (sizeof kTexts / sizeof *kTexts)];
    ui.answers.push_back(static_cast<MessageAnswer>(argument % 4));
    switch (code % 16) {
    case 0:
    case 1:
        if (line == editor.LineCount()) {
            editor.AppendLine();
        }
        editor.EndCellEdit(line, 1 + code % 2, text);
        break;
    case 2:
        editor.SelectLine(line);
        editor.InsertLine();
        break;
    case 3:
        editor.SelectLine(line);
        editor.DeleteLine();
        break;
    case 4:
        editor.ClearAllLines();
        break;
    case 5:
        editor.ChangeTrain(static_cast<TrainStyle>(argument % 3));
        break;
    case 6:
        editor.ChangeTimeUnit(PulseTimeUnits::FromStored(static_cast<int>(argument % 4)));
        break;
    case 7:
        editor.EditRepeat(text);
        editor.ApplyRepeat();
        break;
    case 8:
        editor.AppendSection();
        break;
    case 9:
        editor.InsertSection();
        break;
    case 10:
        editor.DeleteSection();
        break;
    case 11:
        editor.PreviousSection();
        break;
    case 12:
        editor.NextSection();
        break;
    case 13:
        editor.SelectSection(argument % (design.SectionCount() + 1));
        break;
    case 14:
        design.ChangeAmplitude(text);
        break;
    default:
        editor.RemoveAllSections();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t operations = size < kOperationBytes ? size : kOperationBytes;
    const std::size_t textSize = size - operations;
    AppState state;
    state.mode = OperatingMode::Pulse;
    state.startupFolder = Folder().string() + "/";
    state.contextFile = (Folder() / "TempGlyp.cad").string();
    state.familyFile = (Folder() / "missing.fam").string();
    std::ofstream(state.contextFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(textSize));
    RecordingUserInterface ui;
    RecordingHostBus bus;
    ProfileStore store(state, ui);
    AppServices services{state, store, ui, bus};
    const IniFile file(state.contextFile);
    const Snapshot before = OutsideDesign(file);

    PulseDesign design(services);
    design.Open(0);
    PulseEditor editor(design);
    for (std::size_t i = textSize; i + 1 < size; i += 2) {
        Operate(editor, design, ui, data[i], data[i + 1]);
        Check(design.SectionCount() >= 1, "a design without sections");
        Check(editor.Section() >= 0 && editor.Section() < design.SectionCount(),
              "the shown section is outside the list");
        Check(editor.LineCount() >= 1, "a table without lines");
    }
    Check(OutsideDesign(file) == before, "a key outside the design changed");
    return 0;
}
