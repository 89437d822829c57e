#include "document/TextImport.h"

#include "settings/AtomicFileWriter.h"
#include "document/ColumnTextReader.h"
#include "document/CrtConversions.h"
#include "document/DecimalReader.h"
#include "document/PathText.h"
#include "document/TextChunkReader.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kSinkPoints = 1 << 16;

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FileHandle OpenFile(const std::string& path, const char* mode) {
    return FileHandle(std::fopen(path.c_str(), mode), &std::fclose);
}

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsLineEnd(char c) {
    return c == '\n';
}
// Binary samples gathered in a chunk and written little-endian as it fills.
template <typename T> class SampleSink {
public:
    explicit SampleSink(AtomicFileWriter& out) : out_(out) { chunk_.reserve(kSinkPoints); }
    void Add(T value) {
        chunk_.push_back(value);
        if (chunk_.size() == kSinkPoints) {
            Flush();
        }
    }
    void Flush() {
        if constexpr (std::endian::native == std::endian::big) {
            for (T& value : chunk_) {
                auto* bytes = reinterpret_cast<unsigned char*>(&value);
                std::reverse(bytes, bytes + sizeof(T));
            }
        }
        out_.Write(chunk_.data(), chunk_.size() * sizeof(T));
        chunk_.clear();
    }

private:
    AtomicFileWriter& out_;
    std::vector<T> chunk_;
};

// Reads white-space separated numbers as a stream's >> does: the first text that is not
// a number ends the reading. False when the file could not be read to its end.
template <typename T, typename Convert>
bool ReadSpacedNumbers(std::FILE* in, AtomicFileWriter& out, Convert convert) {
    SampleSink<T> sink(out);
    TextChunkReader reader(in, &IsSpace);
    std::string_view window;
    bool stopped = false;
    while (!stopped && reader.Next(window)) {
        const char* p = window.data();
        const char* end = p + window.size();
        for (;;) {
            while (p != end && IsSpace(*p)) {
                ++p;
            }
            if (p == end) {
                break;
            }
            double value = 0;
            const char* next = DecimalReader::Read(p, end, value);
            if (next == nullptr) {
                stopped = true;
                break;
            }
            sink.Add(convert(value));
            p = next;
        }
    }
    sink.Flush();
    return !reader.ReadError();
}

// First pass of the column conversion: the records after the header into the scratch file.
bool WriteScratch(const std::string& path, ColumnTextReader& reader) {
    FileHandle in = OpenFile(path, "rb");
    if (!in || !reader.Open()) {
        return false;
    }
    TextChunkReader chunks(in.get(), &IsLineEnd);
    std::string_view window;
    while (chunks.Next(window)) {
        reader.ReadWindow(window.data(), window.data() + window.size());
    }
    const bool read = !chunks.ReadError();
    return reader.Finish() && read;
}

} // namespace

std::string TextImport::ConvertSpaced(const std::string& path, SampleKind kind) {
    FileHandle in = OpenFile(path, "rb");
    if (!in) {
        return {};
    }
    const char* extension = kind == SampleKind::Code16   ? ".wav"
                            : kind == SampleKind::Code32 ? ".wvf"
                                                         : ".wfm";
    const std::string target = ReplaceExtension(path, extension);
    AtomicFileWriter out(target);
    if (!out.Open()) {
        return {};
    }
    bool read = false;
    switch (kind) {
    case SampleKind::Code32:
        read = ReadSpacedNumbers<std::int32_t>(in.get(), out, &TruncateToInt32);
        break;
    case SampleKind::Hz64:
        read = ReadSpacedNumbers<double>(in.get(), out, [](double v) { return v; });
        break;
    default:
        read = ReadSpacedNumbers<std::int16_t>(in.get(), out, &TruncateToCode16);
        break;
    }
    return read && out.Commit() ? target : std::string();
}

unsigned long long TextImport::HeaderOffset(const std::string& path) {
    FileHandle in = OpenFile(path, "rb");
    if (!in) {
        return 0;
    }
    TextChunkReader reader(in.get(), &IsLineEnd);
    std::string_view window;
    while (reader.Next(window)) {
        const unsigned long long windowStart = reader.Consumed() - window.size();
        const char* begin = window.data();
        const char* end = begin + window.size();
        for (const char* piece = begin; piece != end;) {
            const char* pieceEnd = ColumnTextReader::PieceEnd(piece, end);
            if (ColumnTextReader::BeginsHeader(piece, pieceEnd)) {
                return windowStart + static_cast<unsigned long long>(pieceEnd - begin);
            }
            piece = pieceEnd;
        }
    }
    return 0;
}

std::string TextImport::ConvertColumns(const std::string& path, const std::string& scratchPath,
                                       CodeRange range) {
    struct ScratchRemover {
        const std::string& path;
        ~ScratchRemover() { std::remove(path.c_str()); }
    } remover{scratchPath};

    ColumnTextReader reader(scratchPath);
    if (!WriteScratch(path, reader)) {
        return {};
    }
    const double slope =
        reader.Largest() == reader.Smallest()
            ? 1e20
            : (range.highest - range.lowest) / (reader.Largest() - reader.Smallest());
    const double smallest = reader.Smallest();
    const double lowest = range.lowest;

    FileHandle scratch = OpenFile(scratchPath, "rb");
    const std::string target = ReplaceExtension(path, ".wav");
    AtomicFileWriter out(target);
    if (!scratch || !out.Open()) {
        return {};
    }
    const bool read = ReadSpacedNumbers<std::int16_t>(scratch.get(), out, [=](double value) {
        // The line through (smallest, lowest) with the slope, written from the
        // smallest value: value x slope + intercept is the same line, but its rounding
        // can put the smallest value a hair above the lowest code, which then
        // truncates to the next code. Separate statements, so that no compiler fuses
        // them into one rounding.
        const double scaled = (value - smallest) * slope;
        return TruncateToCode16(scaled + lowest);
    });
    return read && out.Commit() ? target : std::string();
}
