#include "settings/IniFile.h"

#include "core/FileLock.h"
#include "settings/IniText.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

enum class ReadResult { Read, Missing, Unreadable };

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        text.clear();
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Unreadable;
    }
    // Unbuffered: fread then reads straight into the text.
    std::setvbuf(file, nullptr, _IONBF, 0);
    // A first chunk that holds a whole context file; larger files take a few more reads.
    constexpr std::size_t kFirstChunk = 16384;
    text.resize(kFirstChunk);
    std::size_t used = 0;
    for (;;) {
        used += std::fread(text.data() + used, 1, text.size() - used, file);
        if (used < text.size()) {
            break;
        }
        text.resize(text.size() * 2);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    text.resize(used);
    return failed ? ReadResult::Unreadable : ReadResult::Read;
}

// Reads reuse one buffer per thread: the context file is read for nearly every setting.
std::string& ReadBuffer() {
    thread_local std::string buffer;
    return buffer;
}

const std::string* ReadForQuery(const std::string& path) {
    std::string& text = ReadBuffer();
    return ReadWholeFile(path, text) == ReadResult::Read ? &text : nullptr;
}

std::string TemporaryPath(const std::string& path) {
    static const char kHex[] = "0123456789abcdef";
    std::random_device random;
    unsigned int bits = random();
    std::string suffix = ".";
    for (int i = 0; i < 8; ++i, bits >>= 4) {
        suffix += kHex[bits & 15u];
    }
    return path + suffix + ".tmp";
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    const std::string* text = ReadForQuery(path_);
    if (text == nullptr) {
        return std::nullopt;
    }
    const auto value = FindIniValue(*text, section, key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

IniEntries IniFile::ReadSection(std::string_view section) const {
    const std::string* text = ReadForQuery(path_);
    return text != nullptr ? ReadIniSection(*text, section) : IniEntries{};
}

std::vector<std::string> IniFile::SectionNames() const {
    const std::string* text = ReadForQuery(path_);
    return text != nullptr ? IniSectionNames(*text) : std::vector<std::string>{};
}

bool IniFile::HasSection(std::string_view section) const {
    const std::string* text = ReadForQuery(path_);
    return text != nullptr && HasIniSection(*text, section);
}

bool IniFile::Write(std::string_view section, std::string_view key,
                    std::optional<std::string_view> value) {
    const std::string problem = IniWriteProblem(section, key, value);
    if (!problem.empty()) {
        return Fail(problem);
    }
    return Change([&](std::string& text) { return SetIniValue(text, section, key, value); });
}

bool IniFile::DeleteSection(std::string_view section) {
    return Change([&](std::string& text) { return RemoveIniSection(text, section); });
}

bool IniFile::WriteSection(std::string_view section, const IniEntries& entries) {
    std::string problem = IniWriteProblem(section, "k", std::nullopt);
    for (const auto& [key, value] : entries) {
        if (problem.empty()) {
            problem = IniWriteProblem(section, key, value);
        }
    }
    if (!problem.empty()) {
        return Fail(problem);
    }
    return Change([&](std::string& text) { return ReplaceIniSection(text, section, entries); });
}

bool IniFile::Change(const std::function<bool(std::string&)>& edit) {
    lastError_.clear();
    std::string text;
    // A write that would change nothing is a read: no lock and no new file.
    ReadResult result = ReadWholeFile(path_, text);
    if (result != ReadResult::Unreadable && !edit(text)) {
        return true;
    }
    const FileLock lock(path_);
    if (!lock.Held()) {
        const int lockError = errno;
        return Fail("cannot lock " + path_ + ".lock: " + ErrorText(lockError));
    }
    // The other process may have written since: edit what is on disk now.
    result = ReadWholeFile(path_, text);
    if (result == ReadResult::Unreadable) {
        const int readError = errno;
        return Fail("cannot read " + path_ + ": " + ErrorText(readError));
    }
    if (!edit(text)) {
        return true;
    }
    return ReplaceContent(text, result == ReadResult::Read);
}

bool IniFile::ReplaceContent(const std::string& text, bool existed) {
    std::error_code error;
    fs::perms permissions = fs::perms::owner_read | fs::perms::owner_write;
    bool setPermissions = ownerOnly_;
    if (existed) {
        const fs::file_status status = fs::status(path_, error);
        if (!error) {
            permissions = status.permissions();
            setPermissions = true;
        }
        if (!error && (permissions & fs::perms::owner_write) == fs::perms::none) {
            return Fail(path_ + " is read-only");
        }
    }
    std::string temporary;
    std::FILE* file = nullptr;
    int createError = 0;
    for (int attempt = 0; attempt < 8 && file == nullptr; ++attempt) {
        temporary = TemporaryPath(path_);
        file = std::fopen(temporary.c_str(), "wbx");
        createError = errno;
        if (file == nullptr && createError != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        return Fail("cannot create " + temporary + ": " + ErrorText(createError));
    }
    // Permissions first, so the content is never readable by more people than before.
    if (setPermissions) {
        fs::permissions(temporary, permissions, fs::perm_options::replace, error);
    }
    std::setvbuf(file, nullptr, _IONBF, 0); // one write call for the whole text
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fflush(file) == 0 && written;
    const int writeError = errno;
    written = std::fclose(file) == 0 && written;
    if (!written) {
        fs::remove(temporary, error);
        return Fail("cannot write " + temporary + ": " + ErrorText(writeError));
    }
    fs::rename(temporary, path_, error);
    if (error) {
        const std::string reason = error.message();
        fs::remove(temporary, error);
        return Fail("cannot replace " + path_ + ": " + reason);
    }
    return true;
}

bool IniFile::Fail(std::string reason) {
    lastError_ = std::move(reason);
    return false;
}
