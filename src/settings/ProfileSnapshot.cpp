#include "settings/ProfileSnapshot.h"

#include "settings/IniSyntax.h"
#include "settings/ProfileBatch.h"
#include "settings/ProfileEdit.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
};

FileStamp StampOf(const std::string& path) {
    std::error_code error;
    FileStamp stamp;
    stamp.size = fs::file_size(path, error);
    if (error) {
        return {};
    }
    const auto time = fs::last_write_time(path, error);
    if (error) {
        return {};
    }
    stamp.exists = true;
    stamp.modified = time.time_since_epoch().count();
    return stamp;
}

} // namespace

ProfileSnapshot::ProfileSnapshot(ProfileStore& store) : store_(store) {}

void ProfileSnapshot::Refresh() {
    const FileStamp stamp = StampOf(store_.ContextFile());
    if (loaded_ && stamp.exists && stamp.size == size_ && stamp.modified == modified_) {
        return;
    }
    Load();
}

void ProfileSnapshot::Load() {
    // Stamp first: a write that lands while the file is read then shows at the next check.
    const FileStamp stamp = StampOf(store_.ContextFile());
    std::ifstream file(store_.ContextFile(), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    text_ = std::move(content).str();
    size_ = stamp.size;
    modified_ = stamp.modified;
    loaded_ = stamp.exists;
    ++generation_;
    sections_.clear();
    for (const IniSpan& span : FindIniSpans(text_)) {
        sections_[span.lowerName].spans.emplace_back(span.bodyBegin, span.end);
    }
}

ProfileSnapshot::Section* ProfileSnapshot::FindSection(std::string_view section) {
    if (!loaded_ && text_.empty()) {
        Refresh();
    }
    const auto found = sections_.find(LowerIniName(section));
    return found == sections_.end() ? nullptr : &found->second;
}

std::optional<std::string_view> ProfileSnapshot::Find(Section& section,
                                                      const std::string& lowerKey) {
    if (const auto known = section.values.find(lowerKey); known != section.values.end()) {
        return known->second;
    }
    while (section.span < section.spans.size()) {
        const auto [begin, end] = section.spans[section.span];
        IniLineReader reader(text_, std::max(section.position, begin), end);
        IniLineReader::Line line;
        while (reader.Next(line)) {
            section.position = line.end;
            const IniLineMeaning meaning = ReadIniLine(reader.Content(line));
            if (meaning.kind != IniLineKind::Key) {
                continue;
            }
            // The first value of a name counts, as IniText reads it.
            const auto added =
                section.values.try_emplace(LowerIniName(meaning.name), meaning.value);
            if (added.second && added.first->first == lowerKey) {
                return meaning.value;
            }
        }
        ++section.span;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileSnapshot::Text(std::string_view section, std::string_view key) {
    Section* found = FindSection(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::string_view> value = Find(*found, LowerIniName(key));
    if (!value) {
        return std::nullopt;
    }
    std::string text = ProfileEdit::PlatformValue(*value);
    if (EqualsNoCase(text, "noo")) {
        return std::nullopt;
    }
    ProfileEdit::CutComment(text);
    return text;
}

double ProfileSnapshot::Number(std::string_view section, std::string_view key) {
    const std::optional<std::string> text = Text(section, key);
    return text ? ProfileEdit::NthNumber(*text, 0, kMissingNumber) : kMissingNumber;
}

bool ProfileSnapshot::HasSection(std::string_view section) {
    return FindSection(section) != nullptr;
}

bool ProfileSnapshot::Apply(const ProfileBatch& batch) {
    if (batch.Empty()) {
        return true;
    }
    const std::string problem = batch.Problem();
    if (!problem.empty()) {
        return false;
    }
    const bool written = store_.UpdateProfileText(
        store_.ContextFile(), [&](std::string& text) { return batch.ApplyTo(text); });
    loaded_ = false;
    Refresh();
    return written;
}
