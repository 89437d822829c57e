#include "document/WaveFileWriter.h"

#include "document/SampleBuffer.h"
#include "settings/AtomicFileWriter.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kChunkPoints = 1 << 16;
// Points between two progress questions: a few hundred questions for the longest waveform.
constexpr std::size_t kPiecePoints = 1 << 20;

// The element bytes as they go to disk: little-endian, with the snap offset for 16-bit
// codes. Works through a chunk so that a long waveform is never copied whole.
template <typename T>
void WritePiece(AtomicFileWriter& out, const T* values, std::size_t count, T offset) {
    const bool swap = std::endian::native == std::endian::big;
    if (!swap && offset == T{}) {
        out.Write(values, count * sizeof(T));
        return;
    }
    std::vector<unsigned char> chunk(std::min(count, kChunkPoints) * sizeof(T));
    for (std::size_t first = 0; first < count; first += kChunkPoints) {
        const std::size_t n = std::min(kChunkPoints, count - first);
        for (std::size_t i = 0; i < n; ++i) {
            T value = values[first + i];
            if constexpr (std::is_integral_v<T>) {
                // The sum wraps to the width, as a store of (short)(x + 512) does.
                using U = std::make_unsigned_t<T>;
                value =
                    static_cast<T>(static_cast<U>(static_cast<U>(value) + static_cast<U>(offset)));
            }
            unsigned char bytes[sizeof(T)];
            std::memcpy(bytes, &value, sizeof(T));
            if (swap) {
                std::reverse(bytes, bytes + sizeof(T));
            }
            std::memcpy(&chunk[i * sizeof(T)], bytes, sizeof(T));
        }
        out.Write(chunk.data(), n * sizeof(T));
    }
}

// The whole array in pieces of kPiecePoints, with `progress` asked after each; false when
// it said stop.
template <typename T>
bool WriteLittleEndian(AtomicFileWriter& out, const T* values, std::size_t count, T offset,
                       const ProgressCallback& progress) {
    for (std::size_t first = 0; first < count; first += kPiecePoints) {
        const std::size_t n = std::min(kPiecePoints, count - first);
        WritePiece(out, values + first, n, offset);
        if (progress && !progress(static_cast<double>(first + n) / static_cast<double>(count))) {
            return false;
        }
    }
    return true;
}

} // namespace

bool WaveFileWriter::IsSnapPath(const std::string& path) {
    return path.size() > 1 && path.find("Snap", 1) != std::string::npos;
}

bool WaveFileWriter::WriteWaveform(const SampleBuffer& samples, const std::string& path,
                                   std::string* error, const ProgressCallback& progress) {
    AtomicFileWriter out(path);
    if (!out.Open()) {
        return out.ErrorTo(error);
    }
    const std::size_t count = samples.Size();
    bool whole = true;
    switch (samples.Kind()) {
    case SampleKind::Code32:
        whole = WriteLittleEndian<std::int32_t>(out, samples.Codes32(), count, 0, progress);
        break;
    case SampleKind::Hz64:
        whole = WriteLittleEndian<double>(out, samples.Values64(), count, 0.0, progress);
        break;
    default: {
        const std::int16_t offset = IsSnapPath(path) ? 512 : 0;
        whole = WriteLittleEndian<std::int16_t>(out, samples.Codes16(), count, offset, progress);
        break;
    }
    }
    if (!whole) {
        // Stopped: the writer drops its temporary file, the old file stays.
        if (error != nullptr) {
            error->clear();
        }
        return false;
    }
    return out.Commit() || out.ErrorTo(error);
}
