#include "document/WaveformFiles.h"

#include "document/SampleBuffer.h"
#include "settings/AtomicFileWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

// Bytes between two progress questions while a waveform is read.
constexpr std::size_t kReadPieceBytes = std::size_t{4} << 20;

} // namespace

bool WaveformFiles::Resize(const std::string& path, unsigned long long bytes, std::string* error) {
    AtomicFileWriter out(path);
    if (!out.Open()) {
        return out.ErrorTo(error);
    }
    std::vector<char> chunk(static_cast<std::size_t>(std::min(bytes, 1ull << 20)));
    unsigned long long written = 0;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        std::size_t got = 0;
        while (written < bytes &&
               (got = std::fread(chunk.data(), 1,
                                 static_cast<std::size_t>(
                                     std::min<unsigned long long>(chunk.size(), bytes - written)),
                                 in)) > 0) {
            out.Write(chunk.data(), got);
            written += got;
        }
        std::fclose(in);
    }
    // A longer file gets zero points at its end.
    std::fill(chunk.begin(), chunk.end(), 0);
    while (written < bytes) {
        const auto n =
            static_cast<std::size_t>(std::min<unsigned long long>(chunk.size(), bytes - written));
        out.Write(chunk.data(), n);
        written += n;
    }
    return out.Commit() || out.ErrorTo(error);
}

bool WaveformFiles::ReadSamples(const std::string& path, std::size_t count, SampleBuffer& samples,
                                const ProgressCallback& progress) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    samples.AllocateUninitialized(count);
    auto* bytes = static_cast<char*>(samples.Bytes());
    const std::size_t total = samples.ByteSize();
    std::size_t got = 0;
    bool stopped = false;
    while (got < total && !stopped) {
        const std::size_t piece = std::min(kReadPieceBytes, total - got);
        const std::size_t read = std::fread(bytes + got, 1, piece, in);
        got += read;
        stopped = progress && !progress(static_cast<double>(got) / static_cast<double>(total));
        if (read < piece) {
            break;
        }
    }
    std::fclose(in);
    if (got < total) {
        std::memset(bytes + got, 0, total - got);
    }
    return !stopped;
}

bool WaveformFiles::ReadResized(const std::string& path, std::size_t count, double neutral,
                                SampleBuffer& samples) {
    const std::size_t kept = std::min(count, samples.Size());
    samples.Assign(count, neutral);
    const std::size_t bytes = kept * samples.ElementWidth();
    std::size_t got = 0;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        got = std::fread(samples.Bytes(), 1, bytes, in);
        std::fclose(in);
    }
    return got == bytes;
}

std::string WaveformFiles::WriteProblem(const std::string& working, const std::string& current,
                                        unsigned long long newBytes) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(working, error);
    if (!error && status.type() == fs::file_type::regular &&
        (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return "cannot write " + working + ": Permission denied";
    }
    const std::uintmax_t size = fs::file_size(current, error);
    const std::uintmax_t needed = (error ? 0 : size) + newBytes;
    const fs::space_info room = fs::space(fs::path(working).parent_path(), error);
    if (!error && room.available < needed) {
        return "cannot write " + working + ": No space left on device (" + std::to_string(needed) +
               " bytes needed, " + std::to_string(room.available) + " free)";
    }
    return {};
}
