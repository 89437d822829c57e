#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ProfileBatch;
class ProfileStore;

// A parsed copy of the context file that is checked against the file (its size and
// modification time, to the nanosecond) at every Refresh, and read again from disk when
// either differs, so a write of the host is seen at the next read operation. A reader of
// thousands of sections (the pulse design) would otherwise read and parse the whole file
// once per key. Values read as a quiet ReadProfileText reads them (quotes, "noo", "//"
// comments), without its 80-character room: a hand-made long value is read, not reported.
// Writes go through the settings store in one locked pass per batch.
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(ProfileStore& store);

    // Brings the copy up to date with the file. Each read operation of its user calls it
    // once and then reads its keys from the copy.
    void Refresh();
    std::optional<std::string> Text(std::string_view section, std::string_view key);
    // The first number of the value; kMissingNumber when the key is missing or its value
    // starts no number.
    double Number(std::string_view section, std::string_view key);
    bool HasSection(std::string_view section);
    // Counts the times the copy was read from the file: what was read from the copy is
    // still true while it stays the same.
    std::uint64_t Generation() const { return generation_; }

    // One locked rewrite of the context file. False when it could not be written (the
    // settings store has told the user).
    bool Apply(const ProfileBatch& batch);
    ProfileStore& Store() { return store_; }

private:
    // A section is read as far as its keys are asked for: a lookup that misses reads on
    // until it finds the key or the section ends. A pulse design's own keys come first in the
    // sections it writes, so reading Start and LocDur of every section stays cheap.
    struct Section {
        std::vector<std::pair<std::size_t, std::size_t>> spans; // bodies of its headers
        std::size_t span = 0;                                   // where reading goes on
        std::size_t position = 0;
        // lower-case key -> raw value, a view into the copy of the file
        std::unordered_map<std::string, std::string_view> values;
    };

    Section* FindSection(std::string_view section);
    // The raw value of a key, reading on as far as needed.
    std::optional<std::string_view> Find(Section& section, const std::string& lowerKey);
    void Load();

    ProfileStore& store_;
    std::string text_;
    bool loaded_ = false;
    std::uintmax_t size_ = 0;
    std::int64_t modified_ = 0;
    std::unordered_map<std::string, Section> sections_;
    std::uint64_t generation_ = 0;
};
