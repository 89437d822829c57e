#include "pulse/PulseKeyStore.h"

#include "pulse/PulseIniSpans.h"
#include "pulse/PulseKeyBatch.h"
#include "settings/ProfileEdit.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

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

PulseKeyStore::PulseKeyStore(ProfileStore& store) : store_(store) {}

void PulseKeyStore::Refresh() {
    const FileStamp stamp = StampOf(store_.ContextFile());
    if (loaded_ && stamp.exists && stamp.size == size_ && stamp.modified == modified_) {
        return;
    }
    Load();
}

void PulseKeyStore::Load() {
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

PulseKeyStore::Section* PulseKeyStore::FindSection(std::string_view section) {
    if (!loaded_ && text_.empty()) {
        Refresh();
    }
    const auto found = sections_.find(LowerAscii(section));
    return found == sections_.end() ? nullptr : &found->second;
}

std::optional<std::string_view> PulseKeyStore::Find(Section& section, const std::string& lowerKey) {
    if (const auto known = section.values.find(lowerKey); known != section.values.end()) {
        return known->second;
    }
    const std::string_view text = text_;
    while (section.span < section.spans.size()) {
        const auto [begin, end] = section.spans[section.span];
        std::size_t& position = section.position;
        if (position < begin) {
            position = begin;
        }
        while (position < end) {
            std::size_t lineEnd = text.find('\n', position);
            lineEnd = lineEnd == std::string_view::npos || lineEnd > end ? end : lineEnd;
            std::string_view name;
            std::string_view value;
            const bool isKey = IniKeyLine(text.substr(position, lineEnd - position), name, value);
            position = lineEnd + 1;
            if (!isKey) {
                continue;
            }
            // The first value of a name counts, as the settings layer reads it.
            const auto added = section.values.try_emplace(LowerAscii(name), value);
            if (added.second && added.first->first == lowerKey) {
                return value;
            }
        }
        ++section.span;
    }
    return std::nullopt;
}

std::optional<std::string> PulseKeyStore::Text(std::string_view section, std::string_view key) {
    Section* found = FindSection(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::string_view> value = Find(*found, LowerAscii(key));
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

double PulseKeyStore::Number(std::string_view section, std::string_view key) {
    const std::optional<std::string> text = Text(section, key);
    return text ? ProfileEdit::NthNumber(*text, 0, kMissingNumber) : kMissingNumber;
}

bool PulseKeyStore::HasSection(std::string_view section) {
    return FindSection(section) != nullptr;
}

bool PulseKeyStore::Apply(const PulseKeyBatch& batch) {
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
