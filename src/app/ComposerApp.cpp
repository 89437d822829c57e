#include "app/ComposerApp.h"

#include "core/ProcessFacts.h"
#include "core/UserInterface.h"
#include "settings/AtomicFileWriter.h"
#include "settings/FileHelpers.h"
#include "settings/RegistryKey.h"
#include "settings/TemporaryFolderList.h"
#include "settings/TextFormat.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int kPathBufferSize = 180;
constexpr const char* kWideFamilyPrefix = "G4270";
constexpr const char* kWideHostKey = "Software\\Quellwerk\\Glyptor3.2";
// The folders outside the workspace where this user's runs have written (an export, a
// Save As), so that start-up also removes what killed runs left there.
constexpr const char* kTemporaryFolderList = "WriteFolders.lst";

} // namespace

ComposerApp::ComposerApp(const ProcessFacts& facts, UserInterface& ui)
    : facts_(facts), ui_(ui), store_(state_, ui) {}

std::string ComposerApp::MakeUserTag(const std::optional<std::string>& userName) {
    const std::string name = userName.value_or("Temp");
    return ("$" + name).substr(0, 4);
}

bool ComposerApp::IsWideFamily(const std::string& familyName) {
    return familyName.size() >= 5 && StartsWithNoCase(familyName, kWideFamilyPrefix);
}

void ComposerApp::BuildPaths() {
    state_.userTag = MakeUserTag(facts_.LogonUserName());
    state_.startupFolder = facts_.CurrentFolder();
    state_.physicalMemory = facts_.PhysicalMemoryBytes();
    if (state_.startupFolder.empty() || state_.startupFolder.back() != kPathSeparator) {
        state_.startupFolder += kPathSeparator;
    }
    state_.userFolder = state_.startupFolder + state_.userTag;
    state_.contextFile = state_.userFolder + kPathSeparator + "TempGlyp.cad";
    state_.logFile = state_.startupFolder + "Glyp.log";
}

void ComposerApp::AppendLogLine() const {
    // A log that cannot be opened loses the line; start-up goes on.
    if (std::FILE* log = std::fopen(state_.logFile.c_str(), "a")) {
        std::fprintf(log, "Tolmi cmdLine=%s\n", state_.commandLine.c_str());
        std::fclose(log);
    }
}

void ComposerApp::RemoveStaleTemporaries() const {
    // Half-written files of runs that were killed: ours by their name, theirs by nobody's
    // process. Files of a run that is still going on are left alone.
    const std::vector<std::string> workspace = {state_.startupFolder, state_.userFolder,
                                                RegistryKey::RegistryFolder()};
    const std::string list = state_.userFolder + kPathSeparator + kTemporaryFolderList;
    TemporaryFolderList::Use(list, workspace);
    std::vector<std::string> folders = TemporaryFolderList::Read(list);
    folders.insert(folders.end(), workspace.begin(), workspace.end());
    for (const std::string& folder : folders) {
        AtomicFileWriter::RemoveStaleTemporaries(folder);
    }
    // The generator dialogs' snapshot of the samples is deleted when the dialog closes; one
    // that is still there belongs to a run of this user that was killed.
    DeleteFileIfExists(state_.userFolder + kPathSeparator + "orgWave.tmp");
    // The column import deletes its scratch file when it ends; one that is still there
    // was left by a killed import (all users' imports share this one name anyway).
    DeleteFileIfExists(state_.startupFolder + "$$.asc");
}

bool ComposerApp::InitInstance() {
    BuildPaths();

    std::string family;
    if (!store_.ReadProfileText("Instrument", "Family", family, kPathBufferSize, state_.contextFile,
                                true)) {
        ui_.ShowText("Invalid application path =" + state_.contextFile, "", MessageButtons::Ok,
                     MessageIcon::Error);
        return false;
    }
    state_.familyName = family;
    state_.familyFile = state_.startupFolder + family + ".fam";
    if (IsWideFamily(family)) {
        state_.hostKey = kWideHostKey;
    }

    RemoveStaleTemporaries();
    state_.commandLine = ToUpperAscii(facts_.FullCommandLine());
    state_.mode = forcedMode_.value_or(ModeOfCommandLine(state_.commandLine));
    // A start-up fact, written once here; the run's mode type is made from it.
    state_.wideFmSamples = IsWideFamily(family) && HasWideVariant(state_.mode);
    AppendLogLine();
    return true;
}
