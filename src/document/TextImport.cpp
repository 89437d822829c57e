#include "document/TextImport.h"

#include "core/CharClass.h"
#include "document/ColumnTextReader.h"
#include "document/CrtConversions.h"
#include "document/PathText.h"
#include "document/TextChunkReader.h"
#include "settings/AtomicFileWriter.h"
#include "settings/DecimalReader.h"
#include "settings/FileHelpers.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t kSinkPoints = 1 << 16;
// Doubles that truncate to a 32-bit integer; beyond them the conversion has no result.
constexpr double kBelowInt32 = -2147483649.0;
constexpr double kAboveInt32 = 2147483648.0;

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FileHandle OpenFile(const std::string& path, const char* mode) {
    return FileHandle(std::fopen(path.c_str(), mode), &std::fclose);
}

bool IsLineEnd(char c) {
    return c == '\n';
}

// One pass over a file as its share of the whole import: the bytes read of `total` map
// onto start .. start + share.
struct PassProgress {
    const ImportProgress* report = nullptr;
    double start = 0;
    double share = 1;
    unsigned long long total = 0;

    // False when the user has stopped the import.
    bool Continue(unsigned long long consumed) const {
        if (report == nullptr || !*report) {
            return true;
        }
        const double part =
            total == 0 ? 1.0
                       : std::min(1.0, static_cast<double>(consumed) / static_cast<double>(total));
        return (*report)(start + share * part);
    }
};

unsigned long long FileBytes(const std::string& path) {
    return static_cast<unsigned long long>(std::max(0LL, RecordCount(path, 1)));
}
// Binary samples gathered in a chunk and written little-endian as it fills. The chunk
// grows with the samples, so a short text never costs a full chunk.
template <typename T> class SampleSink {
public:
    explicit SampleSink(AtomicFileWriter& out) : out_(out) {}
    void Add(T value) {
        chunk_.push_back(value);
        if (chunk_.size() == kSinkPoints) {
            Flush();
        }
    }
    void Flush() {
        if (chunk_.empty()) {
            return;
        }
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

// The white-space separated word at first, for a message.
std::string_view WordAt(const char* first, const char* last) {
    const char* end = first;
    while (end != last && !IsCSpace(*end)) {
        ++end;
    }
    return std::string_view(first, static_cast<std::size_t>(end - first));
}

// Reads white-space separated numbers to the end of the text. `convert` gives the sample
// of a number, or nothing when the number is beyond what the sample can hold. A word that
// is not a number, or a number without a sample, ends the reading with `problem` set.
// False when the text was refused or the file could not be read to its end.
template <typename T, typename Convert>
bool ReadSpacedNumbers(std::FILE* in, AtomicFileWriter& out, Convert convert,
                       TextImportProblem& problem, const PassProgress& pass) {
    SampleSink<T> sink(out);
    TextChunkReader reader(in, &IsCSpace);
    std::string_view window;
    unsigned long long line = 1;
    while (!problem.Found() && reader.Next(window)) {
        const char* p = window.data();
        const char* end = p + window.size();
        for (;;) {
            for (; p != end && IsCSpace(*p); ++p) {
                line += IsLineEnd(*p) ? 1 : 0;
            }
            if (p == end) {
                break;
            }
            double value = 0;
            const char* next = DecimalReader::Read(p, end, value);
            if (next == nullptr || (next != end && !IsCSpace(*next))) {
                problem =
                    TextImportProblem(TextImportProblem::Kind::NotANumber, line, WordAt(p, end));
                break;
            }
            const std::optional<T> sample = convert(value);
            if (!sample) {
                problem =
                    TextImportProblem(TextImportProblem::Kind::OutOfRange, line, WordAt(p, end));
                break;
            }
            sink.Add(*sample);
            p = next;
        }
        if (!problem.Found() && !pass.Continue(reader.Consumed())) {
            problem = TextImportProblem(TextImportProblem::Kind::Cancelled, line, {});
        }
    }
    sink.Flush();
    return !problem.Found() && !reader.ReadError();
}

// Truncation toward zero to 32 bits, which the 16-bit codes then keep the low bits of, as
// the rule for spaced text has it (no range check); a number beyond 32 bits, or too large
// for a double, has no integer to keep.
std::optional<std::int32_t> SpacedInt32(double value) {
    if (!(value > kBelowInt32 && value < kAboveInt32)) {
        return std::nullopt;
    }
    return TruncateToInt32(value);
}
std::optional<std::int16_t> SpacedCode16(double value) {
    if (!(value > kBelowInt32 && value < kAboveInt32)) {
        return std::nullopt;
    }
    return TruncateToCode16(value);
}
std::optional<double> SpacedDouble(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Second pass of the column conversion: the values the scratch text holds, scaled to codes.
template <typename Scale>
bool ScaleValues(const std::vector<double>& values, AtomicFileWriter& out, Scale scale,
                 PassProgress pass, TextImportProblem* problem) {
    SampleSink<std::int16_t> sink(out);
    pass.total = values.size();
    for (std::size_t at = 0; at < values.size(); at += kSinkPoints) {
        const std::size_t end = std::min(values.size(), at + kSinkPoints);
        for (std::size_t i = at; i < end; ++i) {
            const std::optional<std::int16_t> code = scale(values[i]);
            if (!code) {
                return false;
            }
            sink.Add(*code);
        }
        if (!pass.Continue(end)) {
            if (problem != nullptr) {
                *problem = TextImportProblem(TextImportProblem::Kind::Cancelled, 0, {});
            }
            return false;
        }
    }
    sink.Flush();
    return true;
}

// First pass of the column conversion: the records after the header.
bool ReadRecords(const std::string& path, ColumnTextReader& reader, const PassProgress& pass,
                 bool& cancelled) {
    FileHandle in = OpenFile(path, "rb");
    if (!in) {
        return false;
    }
    reader.ReserveFor(pass.total);
    TextChunkReader chunks(in.get(), &IsLineEnd);
    std::string_view window;
    while (chunks.Next(window)) {
        reader.ReadWindow(window.data(), window.data() + window.size());
        if (!reader.Problem().Found() && !pass.Continue(chunks.Consumed())) {
            cancelled = true;
            return false;
        }
    }
    reader.Finish();
    return !chunks.ReadError();
}

std::string ConvertSpacedFile(const std::string& path, SampleKind kind, TextImportProblem& problem,
                              const ImportProgress& progress) {
    const PassProgress pass{&progress, 0.0, 1.0, FileBytes(path)};
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
        read = ReadSpacedNumbers<std::int32_t>(in.get(), out, &SpacedInt32, problem, pass);
        break;
    case SampleKind::Hz64:
        read = ReadSpacedNumbers<double>(in.get(), out, &SpacedDouble, problem, pass);
        break;
    default:
        read = ReadSpacedNumbers<std::int16_t>(in.get(), out, &SpacedCode16, problem, pass);
        break;
    }
    return read && out.Commit() ? target : std::string();
}

} // namespace

std::string TextImport::ConvertSpaced(const std::string& path, SampleKind kind,
                                      TextImportProblem* problem, const ImportProgress& progress) {
    TextImportProblem found;
    const std::string target = ConvertSpacedFile(path, kind, found, progress);
    if (problem != nullptr) {
        *problem = found;
    }
    return target;
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
                                       CodeRange range, TextImportProblem* problem,
                                       const ImportProgress& progress) {
    struct ScratchRemover {
        const std::string& path;
        ~ScratchRemover() { std::remove(path.c_str()); }
    } remover{scratchPath};

    // Each value is scaled as its "%g" text would read back; the reader works that out from
    // the digits it read, so neither the text nor a scratch copy of it is read twice.
    ColumnTextReader reader;
    bool cancelled = false;
    const bool written =
        ReadRecords(path, reader, PassProgress{&progress, 0.0, 0.5, FileBytes(path)}, cancelled);
    if (problem != nullptr) {
        *problem = cancelled ? TextImportProblem(TextImportProblem::Kind::Cancelled, 0, {})
                             : reader.Problem();
    }
    if (!written || reader.Problem().Found()) {
        return {};
    }
    const double slope =
        reader.Largest() == reader.Smallest()
            ? 1e20
            : (range.highest - range.lowest) / (reader.Largest() - reader.Smallest());
    const double smallest = reader.Smallest();
    const double lowest = range.lowest;

    const std::string target = ReplaceExtension(path, ".wav");
    AtomicFileWriter out(target);
    if (!out.Open()) {
        return {};
    }
    const auto scale = [=](double value) -> std::optional<std::int16_t> {
        // The line through (smallest, lowest) with the slope, written from the
        // smallest value: value x slope + intercept is the same line, but its rounding
        // can put the smallest value a hair above the lowest code, which then
        // truncates to the next code. Separate statements, so that no compiler fuses
        // them into one rounding.
        const double scaled = (value - smallest) * slope;
        return TruncateToCode16(scaled + lowest);
    };
    const bool read =
        ScaleValues(reader.Values(), out, scale, PassProgress{&progress, 0.5, 0.5, 0}, problem);
    return read && out.Commit() ? target : std::string();
}
