#include "settings/ProfileStore.h"

#include "core/AppState.h"
#include "core/UserInterface.h"
#include "settings/AtomicFileWriter.h"
#include "settings/IniText.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileEdit.h"
#include "settings/RegistryKey.h"
#include "settings/TextFormat.h"

#include <algorithm>

namespace {

// The default of every read; a stored "noo" is as good as a missing key.
constexpr const char* kMissingText = "noo";
constexpr int kNumberRoom = 80;

// The platform's private-profile read with default "noo". An empty key asks for the key
// names of the section, each followed by a NUL character.
std::string PlatformRead(std::string_view section, std::string_view key, const std::string& file) {
    const IniFile ini(file);
    if (key.empty()) {
        std::string names;
        for (const auto& entry : ini.ReadSection(section)) {
            names += entry.first;
            names += '\0';
        }
        return names.empty() ? kMissingText : names;
    }
    const std::optional<std::string> value = ini.Read(section, key);
    return ProfileEdit::PlatformValue(value ? std::optional<std::string_view>(*value)
                                            : std::nullopt);
}

bool IsMachineSubkey(std::string_view subkey) {
    const std::string name(subkey);
    return name.empty() || EqualsNoCase(name, "settings") || EqualsNoCase(name, "modelList");
}

} // namespace

ProfileStore::ProfileStore(const AppState& state, UserInterface& ui) : state_(state), ui_(ui) {}

bool ProfileStore::ReadProfileText(std::string_view section, std::string_view key,
                                   std::string& dest, int size, const std::string& file,
                                   bool quiet) {
    const std::string value = PlatformRead(section, key, file);
    // The buffer holds size - 1 characters and its terminator; a value that fills it up
    // to the last two places may have been cut, so it does not count as fitting.
    const std::size_t room = size > 1 ? static_cast<std::size_t>(size - 1) : 0;
    dest.assign(value, 0, std::min(value.size(), room));
    const bool fits = ProfileEdit::Fits(dest.size(), size);
    const bool found = fits && !EqualsNoCase(dest, kMissingText);
    if (!fits || (!found && !quiet)) {
        const std::string keyText = key.empty() ? std::string("NULL") : std::string(key);
        ui_.ShowText("File " + file + "\nSect=" + std::string(section) + "\nKey=" + keyText,
                     fits ? "Record not found" : "Too few room in destination", MessageButtons::Ok,
                     MessageIcon::None);
    }
    ProfileEdit::CutComment(dest);
    return found;
}

double ProfileStore::ReadProfileNumber(std::string_view key, int index, std::string_view section,
                                       double defaultValue) {
    std::string text;
    if (!ReadProfileText(section, key, text, kNumberRoom, ContextFile(), true)) {
        return defaultValue;
    }
    return ProfileEdit::NthNumber(text, index, defaultValue);
}

std::string ProfileStore::ReadHostValue(std::string_view subkey, std::string_view name) {
    std::string path = state_.hostKey;
    if (!subkey.empty()) {
        path.append("\\").append(subkey);
    }
    const RegistryKey key(
        IsMachineSubkey(subkey) ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser, path);
    return key.ReadValue(std::string(name)).value_or(std::string());
}

void ProfileStore::WriteHostValue(std::string_view name, std::string_view value,
                                  std::string_view subkey) {
    std::string path = state_.hostKey;
    if (!subkey.empty()) {
        path.append("\\").append(subkey);
    }
    // Writing a value creates its key. Registry errors are not reported: window layout
    // and options are not worth a message.
    RegistryKey(RegistryRoot::CurrentUser, path).WriteValue(std::string(name), std::string(value));
}

bool ProfileStore::WriteProfileText(std::string_view section, std::string_view key,
                                    std::string_view value, const std::string& file) {
    IniFile ini(file);
    if (ini.Write(section, key, value)) {
        return true;
    }
    ReportWriteFailure(ini.Path(), ini.LastError());
    return false;
}

bool ProfileStore::WriteProfileTexts(std::string_view section, const IniEntries& entries,
                                     const std::string& file) {
    std::string refused;
    const bool written = UpdateProfile(file, [&](ProfileEdit& edit) {
        refused.clear();
        for (const auto& [key, value] : entries) {
            if (!edit.Write(section, key, value) && refused.empty()) {
                refused = IniWriteProblem(section, key, value);
            }
        }
    });
    if (!refused.empty()) {
        ReportWriteFailure(file, refused);
        return false;
    }
    return written;
}

bool ProfileStore::DeleteProfileKey(std::string_view section, std::string_view key,
                                    const std::string& file) {
    IniFile ini(file);
    if (ini.Write(section, key, std::nullopt)) {
        return true;
    }
    ReportWriteFailure(ini.Path(), ini.LastError());
    return false;
}

bool ProfileStore::DeleteProfileSection(std::string_view section, const std::string& file) {
    IniFile ini(file);
    if (ini.DeleteSection(section)) {
        return true;
    }
    ReportWriteFailure(ini.Path(), ini.LastError());
    return false;
}

bool ProfileStore::UpdateProfile(const std::string& file,
                                 const std::function<void(ProfileEdit&)>& update) {
    IniFile ini(file);
    const bool written = ini.Update([&](std::string& text) {
        ProfileEdit edit(text);
        update(edit);
        return edit.Changed();
    });
    if (!written) {
        ReportWriteFailure(ini.Path(), ini.LastError());
    }
    return written;
}

bool ProfileStore::UpdateProfileText(const std::string& file,
                                     const std::function<bool(std::string&)>& edit) {
    IniFile ini(file);
    if (ini.Update(edit)) {
        return true;
    }
    ReportWriteFailure(ini.Path(), ini.LastError());
    return false;
}

IniEntries ProfileStore::ReadProfileSection(std::string_view section, const std::string& file) {
    return IniFile(file).ReadSection(section);
}

bool ProfileStore::WriteProfileSection(std::string_view section, const IniEntries& entries,
                                       const std::string& file) {
    IniFile ini(file);
    if (ini.WriteSection(section, entries)) {
        return true;
    }
    ReportWriteFailure(ini.Path(), ini.LastError());
    return false;
}

const std::string& ProfileStore::ContextFile() const {
    return state_.contextFile;
}

const std::string& ProfileStore::FamilyFile() const {
    return state_.familyFile;
}

bool ProfileStore::CanWrite(const std::string& file) {
    // The probe's temporary file is removed when the probe ends without committing.
    AtomicFileWriter probe(file);
    if (probe.Open()) {
        return true;
    }
    ReportWriteFailure(file, probe.Error());
    return false;
}

void ProfileStore::ReportWriteFailure(const std::string& file, const std::string& error) {
    writeFailed_ = true;
    // Once per file and run: a full disk must not bury the user under one box per setting.
    if (!reportedFailures_.insert(file).second) {
        return;
    }
    ui_.ShowText("File " + file + " could not be written:\n" + error, "Settings not saved",
                 MessageButtons::Ok, MessageIcon::Exclamation);
}
