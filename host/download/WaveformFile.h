#pragma once

#include <optional>
#include <string>

// The waveform file a download names, read whole before anything reaches the instrument.
// The tool may rewrite its working file at any moment; a file that changes length while
// it is read is refused, so that the instrument never gets half of an old waveform and
// half of a new one, and a shrinking file cannot pull the data from under the transfer.
class WaveformFile {
public:
    // The file's bytes, or nullopt with `error` saying what is wrong with the path or file.
    static std::optional<WaveformFile> Read(const std::string& path, std::string& error);

    const std::string& Bytes() const { return bytes_; }

private:
    explicit WaveformFile(std::string bytes) : bytes_(std::move(bytes)) {}

    std::string bytes_;
};
