#pragma once

#include <optional>
#include <string>

enum class RegistryRoot { CurrentUser, LocalMachine };

// A registry key of string values. Off Windows the registry is a file per root
// ("hkcu.ini", "hklm.ini") in RegistryFolder(), one section per key path, kept by the
// same shared-file engine as the settings files and readable by the user only.
class RegistryKey {
public:
    RegistryKey(RegistryRoot root, std::string path);

    bool Exists() const;
    bool Create() const;
    std::optional<std::string> ReadValue(const std::string& name) const;
    bool WriteValue(const std::string& name, const std::string& value) const;

    // $WAVESMITH_REGISTRY_DIR, else $XDG_CONFIG_HOME/wavesmith, else ~/.config/wavesmith.
    static std::string RegistryFolder();

private:
    std::string FilePath() const;

    RegistryRoot root_;
    std::string path_;
};
