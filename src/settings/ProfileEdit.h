#pragma once

#include <optional>
#include <string>
#include <string_view>

// The keys of one settings file while its lock is held (ProfileStore::UpdateProfile): reads
// see the file as it is on disk under the lock, writes change that text, and the file is
// replaced once when the edit ends. So a read-modify-write of a key that the host also
// writes ("ActiveSeg", "LastSegm#", the segment table) cannot lose the host's write.
// An edit never asks the user anything: the lock would be held while the box is open.
class ProfileEdit {
public:
    explicit ProfileEdit(std::string& text) : text_(text) {}

    // The value as ReadProfileText reads it into `size` characters: comment cut, nullopt
    // when the key is missing, holds "noo" or does not fit.
    std::optional<std::string> Read(std::string_view section, std::string_view key, int size) const;
    // As ReadProfileNumber: the index-th blank-separated number (the last one when fewer).
    double ReadNumber(std::string_view section, std::string_view key, int index,
                      double defaultValue) const;
    // A value that cannot stand on one line is refused (false) and changes nothing.
    bool Write(std::string_view section, std::string_view key, std::string_view value);
    void Delete(std::string_view section, std::string_view key);
    bool Changed() const { return changed_; }

    // The platform's private-profile read of a raw value: "noo" for a missing key, and a
    // value enclosed in matching quotes loses them.
    static std::string PlatformValue(std::optional<std::string_view> raw);
    // "1 // channel" -> "1"; tabs become blanks only in a value that had a comment.
    static void CutComment(std::string& text);
    // The index-th number of a blank-separated list; the last one when it holds fewer,
    // defaultValue when it holds none.
    static double NthNumber(std::string_view text, int index, double defaultValue);
    // Whether a value read into `size` characters fits: one that fills the buffer up to
    // its last two places may have been cut.
    static bool Fits(std::size_t length, int size);

private:
    std::string& text_;
    bool changed_ = false;
};
