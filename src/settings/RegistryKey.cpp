#include "settings/RegistryKey.h"

#include "core/CharClass.h"
#include "settings/IniFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A registry string is read into a buffer of 256 bytes with its terminator.
constexpr std::size_t kValueBytes = 255;

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// True when `path` is `key` or lies below it ("A\B" is below "a").
bool IsSameOrBelow(const std::string& path, const std::string& key) {
    if (path.size() < key.size() || (path.size() > key.size() && path[key.size()] != '\\')) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (ToLowerAscii(path[i]) != ToLowerAscii(key[i])) {
            return false;
        }
    }
    return true;
}

bool EnsurePrivateFolder(const std::string& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error)) {
        return true;
    }
    fs::create_directories(folder, error);
    if (error) {
        return false;
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    return true;
}

} // namespace

RegistryKey::RegistryKey(RegistryRoot root, std::string path)
    : root_(root), path_(std::move(path)) {
    while (!path_.empty() && path_.back() == '\\') {
        path_.pop_back();
    }
}

bool RegistryKey::Exists() const {
    // A key exists also when only keys below it were created, as in the registry.
    for (const std::string& section : IniFile(FilePath()).SectionNames()) {
        if (IsSameOrBelow(section, path_)) {
            return true;
        }
    }
    return false;
}

bool RegistryKey::Create() const {
    if (Exists()) {
        return true;
    }
    if (!EnsurePrivateFolder(RegistryFolder())) {
        return false;
    }
    return IniFile(FilePath()).WriteSection(path_, {});
}

std::optional<std::string> RegistryKey::ReadValue(const std::string& name) const {
    std::optional<std::string> value = IniFile(FilePath()).Read(path_, name);
    if (value && value->size() > kValueBytes) {
        value->resize(kValueBytes);
    }
    return value;
}

bool RegistryKey::WriteValue(const std::string& name, const std::string& value) const {
    if (!EnsurePrivateFolder(RegistryFolder())) {
        return false;
    }
    return IniFile(FilePath()).Write(path_, name, value);
}

std::string RegistryKey::RegistryFolder() {
    if (const char* folder = Environment("WAVESMITH_REGISTRY_DIR")) {
        return folder;
    }
    if (const char* config = Environment("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return std::string(config) + "/wavesmith";
    }
    const char* home = Environment("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/wavesmith";
}

std::string RegistryKey::FilePath() const {
    return RegistryFolder() + (root_ == RegistryRoot::LocalMachine ? "/hklm.ini" : "/hkcu.ini");
}
