#include "settings/IniFile.h"

#include "core/FileLock.h"
#include "settings/AtomicFileWriter.h"
#include "settings/IniText.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
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
    return Update([&](std::string& text) { return SetIniValue(text, section, key, value); });
}

bool IniFile::DeleteSection(std::string_view section) {
    return Update([&](std::string& text) { return RemoveIniSection(text, section); });
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
    return Update([&](std::string& text) { return ReplaceIniSection(text, section, entries); });
}

bool IniFile::Update(const std::function<bool(std::string&)>& edit) {
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
    return ReplaceContent(text);
}

bool IniFile::ReplaceContent(const std::string& text) {
    AtomicFileWriter writer(path_);
    if (!writer.Open()) {
        return Fail(writer.Error());
    }
    writer.Write(text);
    if (!writer.Commit()) {
        return Fail(writer.Error());
    }
    return true;
}

bool IniFile::Fail(std::string reason) {
    lastError_ = std::move(reason);
    return false;
}
