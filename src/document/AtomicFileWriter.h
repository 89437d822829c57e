#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// Writes a file so that the name never refers to a half-written file: the bytes go to a
// temporary file in the same folder, which replaces the target only when everything has
// been written. Until Commit() succeeds the old file (if any) stays as it was; a writer
// destroyed without a successful Commit() removes its temporary file.
//
// The temporary name ("~$" + a number + ".part") holds no ".w", so that a left-over from
// a crash is never taken for a binary waveform by the loaders.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the target cannot be written (an existing file that is not writable, a
    // missing folder) or the temporary file cannot be created.
    bool Open();
    // Appends bytes; a failed write is remembered and makes Commit() fail.
    void Write(const void* bytes, std::size_t count);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Closes the temporary file and moves it over the target.
    bool Commit();

    bool Failed() const { return failed_; }
    const std::string& TemporaryPath() const { return temporaryPath_; }

private:
    void Discard();

    std::string path_;
    std::string temporaryPath_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};
