#include "document/TextImport.h"

#include "document/AtomicFileWriter.h"
#include "document/CrtConversions.h"
#include "document/DecimalReader.h"
#include "document/PathText.h"
#include "document/TextChunkReader.h"
#include "document/TextExport.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kHeaderPieceLength = 180;
constexpr std::size_t kSinkPoints = 1 << 16;
constexpr std::size_t kScratchFlushSize = 1 << 20;

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
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool StartsColumnNumber(char c) {
    return IsDigit(c) || c == '+' || c == '-';
}
// A character that can never be part of a number: safe to cut the text after it.
bool IsColumnBoundary(char c) {
    return !(IsDigit(c) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E');
}

bool BeginsWithNoCase(const char* first, const char* last, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (static_cast<std::size_t>(last - first) < length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        const char c =
            first[i] >= 'A' && first[i] <= 'Z' ? static_cast<char>(first[i] + 32) : first[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
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

// The values of the two-column records, with their extremes, written to the scratch file
// as "%g" text followed by a blank.
struct ColumnValues {
    std::size_t count = 0;
    double smallest = 1e9;
    double largest = -1e9;
};

class ColumnReader {
public:
    explicit ColumnReader(std::FILE* scratch) : scratch_(scratch) {
        text_.reserve(kScratchFlushSize + 64);
    }

    // Every record of the window; a record may continue in the next window.
    void ReadWindow(const char* p, const char* end) {
        for (;;) {
            while (p != end && !StartsColumnNumber(*p)) {
                ++p;
            }
            if (p == end) {
                return;
            }
            double number = 0;
            const char* next = DecimalReader::Read(p, end, number);
            if (next == nullptr) {
                ++p; // a lone sign is just another separator
                continue;
            }
            p = next;
            haveFirst_ = !haveFirst_;
            if (!haveFirst_) {
                Keep(number);
            }
        }
    }

    bool Finish() {
        Flush();
        return !failed_;
    }
    const ColumnValues& Values() const { return values_; }

private:
    void Keep(double value) {
        values_.smallest = value < values_.smallest ? value : values_.smallest;
        values_.largest = value > values_.largest ? value : values_.largest;
        ++values_.count;
        TextExport::AppendGeneral(text_, value);
        text_.push_back(' ');
        if (text_.size() >= kScratchFlushSize) {
            Flush();
        }
    }
    void Flush() {
        if (std::fwrite(text_.data(), 1, text_.size(), scratch_) != text_.size()) {
            failed_ = true;
        }
        text_.clear();
    }

    std::FILE* scratch_;
    std::string text_;
    ColumnValues values_;
    bool haveFirst_ = false;
    bool failed_ = false;
};

// First pass of the column conversion: the records after the header into the scratch file.
bool WriteScratch(const std::string& path, const std::string& scratchPath, ColumnValues& values) {
    const unsigned long long offset = TextImport::HeaderOffset(path);
    FileHandle in = OpenFile(path, "rb");
    if (!in || offset > static_cast<unsigned long long>(LONG_MAX) ||
        std::fseek(in.get(), static_cast<long>(offset), SEEK_SET) != 0) {
        return false;
    }
    std::FILE* scratch = std::fopen(scratchPath.c_str(), "wb");
    if (scratch == nullptr) {
        return false;
    }
    ColumnReader reader(scratch);
    TextChunkReader chunks(in.get(), &IsColumnBoundary);
    std::string_view window;
    while (chunks.Next(window)) {
        reader.ReadWindow(window.data(), window.data() + window.size());
    }
    const bool written = reader.Finish() && !chunks.ReadError();
    const bool closed = std::fclose(scratch) == 0;
    values = reader.Values();
    return written && closed;
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
            const std::size_t limit =
                std::min(kHeaderPieceLength, static_cast<std::size_t>(end - piece));
            const void* lineEnd = std::memchr(piece, '\n', limit);
            const char* pieceEnd =
                lineEnd != nullptr ? static_cast<const char*>(lineEnd) + 1 : piece + limit;
            if (BeginsWithNoCase(piece, pieceEnd, "time") ||
                BeginsWithNoCase(piece, pieceEnd, "\"time")) {
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

    ColumnValues values;
    if (!WriteScratch(path, scratchPath, values)) {
        return {};
    }
    const double slope = values.largest == values.smallest
                             ? 1e20
                             : (range.highest - range.lowest) / (values.largest - values.smallest);
    const double smallest = values.smallest;
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
