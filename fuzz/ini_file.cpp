// Any bytes as a settings file: reading never fails, and writing one key (then deleting it)
// leaves every other key reading exactly as before.
#include "settings/IniFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

using Snapshot = std::map<std::pair<std::string, std::string>, std::string>;

const std::string& ScratchPath() {
    static const std::string path = [] {
        const auto folder =
            std::filesystem::temp_directory_path() / ("ws-fuzz-ini-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        static const std::filesystem::path removeAtExit = folder;
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(removeAtExit, error);
        });
        return (folder / "fuzz.ini").string();
    }();
    return path;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "ini_file: %s\n", what);
        std::abort();
    }
}

// Every key the file offers, by the names IniFile reports, read back one by one.
Snapshot TakeSnapshot(const IniFile& ini) {
    Snapshot snapshot;
    for (const std::string& section : ini.SectionNames()) {
        for (const auto& [key, value] : ini.ReadSection(section)) {
            Check(ini.Read(section, key) == value, "Read and ReadSection disagree");
            snapshot[{section, key}] = value;
        }
    }
    return snapshot;
}

void CheckOthersUnchanged(const Snapshot& before, const IniFile& ini,
                          const std::pair<std::string, std::string>& written) {
    for (const auto& [name, value] : before) {
        if (name != written) {
            Check(ini.Read(name.first, name.second) == value, "a key not written changed");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ScratchPath();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    IniFile ini(path);
    const Snapshot before = TakeSnapshot(ini);

    // Rewrite the first key the file has; when it cannot be written, add a new one.
    std::pair<std::string, std::string> target{"FuzzSection", "FuzzKey"};
    if (!before.empty() &&
        ini.Write(before.begin()->first.first, before.begin()->first.second, "fuzz value")) {
        target = before.begin()->first;
    } else {
        Check(ini.Write(target.first, target.second, "fuzz value"), "a plain write failed");
    }
    Check(ini.Read(target.first, target.second) == "fuzz value", "the written value is not read");
    CheckOthersUnchanged(before, ini, target);

    Check(ini.Write(target.first, target.second, std::nullopt), "a deletion failed");
    CheckOthersUnchanged(before, ini, target);
    return 0;
}
