#include "document/TraceImport.h"

#include "document/PathText.h"
#include "settings/AtomicFileWriter.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t kSearchLength = 400; // bytes searched for the descriptor
constexpr std::size_t kFieldsLength = 132; // the descriptor fields read lie below this
constexpr long long kTemplateLength = 346; // the bare descriptor of the usual template
// Bytes of points read, or of codes written, between two reports of the progress: small
// enough that a Cancel is answered at once, large enough that the reports cost nothing.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

// Offsets of the descriptor fields read, from the start of the text "WAVEDESC".
enum Field : std::size_t {
    kCommType = 32,
    kCommOrder = 34,
    kWaveDescriptorLength = 36,
    kUserTextLength = 40,
    kTrigTimeLength = 48,
    kRisTimeLength = 52,
    kReservedArrayLength = 56,
    kWaveArray1Length = 60,
    kFirstValidPoint = 124,
    kLastValidPoint = 128,
};

struct Trace {
    long long dataPosition = 0; // file position of the first point taken
    long long points = 0;
    int width = 2; // bytes per point
    bool bigEndian = false;
};

// How far the import is, by the bytes of points read and of codes written, which are all
// that take time on a large trace.
class TraceProgress {
public:
    explicit TraceProgress(const ImportProgress& report) : report_(report) {}

    // Known once the descriptor is read: the points at their width, then the codes.
    void SetTotal(std::size_t points, int width) {
        totalBytes_ = static_cast<double>(points) * static_cast<double>(width + 2);
    }

    // False once the user has stopped the import; Stopped() then stays true.
    bool Advance(std::size_t bytes) {
        doneBytes_ += static_cast<double>(bytes);
        if (!stopped_ && report_) {
            stopped_ = !report_(std::min(1.0, doneBytes_ / totalBytes_));
        }
        return !stopped_;
    }
    bool Stopped() const { return stopped_; }

private:
    const ImportProgress& report_;
    double totalBytes_ = 1;
    double doneBytes_ = 0;
    bool stopped_ = false;
};

class FieldReader {
public:
    FieldReader(const unsigned char* descriptor, bool bigEndian)
        : bytes_(descriptor), bigEndian_(bigEndian) {}
    std::int16_t Int16(std::size_t offset) const {
        const unsigned a = bytes_[offset], b = bytes_[offset + 1];
        return static_cast<std::int16_t>(bigEndian_ ? (a << 8) | b : (b << 8) | a);
    }
    std::int32_t Int32(std::size_t offset) const {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned byte = bytes_[offset + (bigEndian_ ? i : 3 - i)];
            value = (value << 8) | byte;
        }
        return static_cast<std::int32_t>(value);
    }

private:
    const unsigned char* bytes_;
    bool bigEndian_;
};

std::optional<std::size_t> FindDescriptor(const unsigned char* bytes, std::size_t length) {
    static const char kName[] = "WAVEDESC";
    for (std::size_t start = 0; start + 8 <= length; ++start) {
        bool match = true;
        for (std::size_t i = 0; i < 8 && match; ++i) {
            const unsigned char c = bytes[start + i];
            match = (c >= 'a' && c <= 'z' ? c - 32 : c) == static_cast<unsigned char>(kName[i]);
        }
        if (match) {
            if (start + kFieldsLength > length) {
                return std::nullopt;
            }
            return start;
        }
    }
    return std::nullopt;
}

// Where the first data array begins, relative to the descriptor. The descriptor's own
// block lengths say it: the descriptor, the user text, the trigger-time and RIS-time
// arrays and the reserved array come first. Traces saved with user text or with the
// trigger times of a sequence acquisition have their points further on than the bare
// template's 346 bytes, and reading at 346 would take the text or the times for samples.
// Writers that leave the lengths at zero, or fill them with values that cannot be right
// for this file, get the template length.
long long DataOffset(const FieldReader& fields, long long descriptorStart, long long fileSize) {
    const long long blocks[] = {fields.Int32(kWaveDescriptorLength), fields.Int32(kUserTextLength),
                                fields.Int32(kTrigTimeLength), fields.Int32(kRisTimeLength),
                                fields.Int32(kReservedArrayLength)};
    const long long dataLength = fields.Int32(kWaveArray1Length);
    long long offset = 0;
    for (const long long length : blocks) {
        if (length < 0) {
            return kTemplateLength;
        }
        offset += length;
    }
    const bool plausible = blocks[0] >= static_cast<long long>(kFieldsLength) && dataLength >= 0 &&
                           descriptorStart + offset + dataLength <= fileSize;
    return plausible ? offset : kTemplateLength;
}

std::optional<Trace> ReadDescriptor(std::FILE* in, long long fileSize) {
    unsigned char head[kSearchLength];
    const std::size_t length = std::fread(head, 1, sizeof head, in);
    const std::optional<std::size_t> start = FindDescriptor(head, length);
    if (!start) {
        return std::nullopt;
    }
    const unsigned char* descriptor = head + *start;
    // COMM_ORDER reads the same in both byte orders when it is 0 (big-endian).
    const bool bigEndian = FieldReader(descriptor, false).Int16(kCommOrder) == 0;
    const FieldReader fields(descriptor, bigEndian);
    const int commType = fields.Int16(kCommType);
    const long long first = fields.Int32(kFirstValidPoint);
    const long long last = fields.Int32(kLastValidPoint);
    if (commType != 0 && commType != 1) {
        return std::nullopt;
    }
    Trace trace;
    trace.width = commType + 1;
    trace.bigEndian = bigEndian;
    trace.points = last - first + 1;
    trace.dataPosition = static_cast<long long>(*start) +
                         DataOffset(fields, static_cast<long long>(*start), fileSize) +
                         trace.width * first;
    // The file must hold every point it announces: a trace cut short is refused, and
    // nothing larger than the file is ever allocated.
    if (first < 0 || trace.points < 2 ||
        trace.dataPosition + trace.width * trace.points > fileSize) {
        return std::nullopt;
    }
    return trace;
}

// Maps [smallest, largest] linearly onto [lowest, highest] and truncates toward zero,
// exactly: lowest + (value - smallest) x (highest - lowest) / (largest - smallest). In
// doubles, value x slope + intercept can land a hair above the lowest code for the
// smallest point (100 x 20.475 - 4095.5 is -2047.9999999999998) and truncate to the next
// code. Here the numerator is a whole number below 2^31 (|lowest| x span + span x
// (highest - lowest)) and the quotient of two doubles is correctly rounded, which cannot
// carry a quotient of a denominator below 2^16 across a whole number: its truncation is
// the exact one. Equal points all become the lowest code.
class CodeMap {
public:
    CodeMap(int smallest, int largest, int lowest, int highest)
        : smallest_(smallest), largest_(largest), lowest_(lowest), step_(highest - lowest),
          span_(largest - smallest) {}

    std::int16_t Code(int value) const {
        if (span_ <= 0 || value < smallest_ || value > largest_) {
            return static_cast<std::int16_t>(lowest_);
        }
        const double numerator = lowest_ * span_ + (value - smallest_) * step_;
        return static_cast<std::int16_t>(static_cast<std::int32_t>(numerator / span_));
    }

private:
    int smallest_, largest_, lowest_, step_, span_;
};

// The trace's valid points and their codes. A trace holds millions of points but at most
// 65536 different raw patterns, so the codes are worked out once per pattern (`table`) and
// the points only looked up; the byte order is undone inside the look-up, never on the
// points themselves. Word points are read into the codes' own storage and replaced in
// place; byte points are kept apart.
struct Points {
    std::unique_ptr<std::int16_t[]> codes; // not zeroed: every element is written first
    std::unique_ptr<std::uint8_t[]> bytes; // byte points only
    std::size_t count = 0;
    std::vector<std::int16_t> table; // the code of each raw pattern

    // Looks up the codes of points [at, at + n).
    void Map(std::size_t at, std::size_t n) {
        std::int16_t* out = codes.get() + at;
        if (bytes) {
            const std::uint8_t* raw = bytes.get() + at;
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = table[raw[i]];
            }
            return;
        }
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = table[static_cast<std::uint16_t>(out[i])];
        }
    }
};

// Reads points as they lie in the file (`Raw`: a byte or a word, `decode` gives its value)
// a piece at a time, keeping their smallest and largest value while the piece is at hand,
// and fills `table` with the code of every raw pattern.
template <typename Raw, typename Decode>
bool ReadPoints(std::FILE* in, Raw* raw, std::size_t count, Decode decode, int lowest, int highest,
                std::vector<std::int16_t>& table, TraceProgress& progress) {
    // With no point at all the range is empty, and every pattern gets the lowest code.
    std::int16_t low = INT16_MAX;
    std::int16_t high = INT16_MIN;
    constexpr std::size_t kPiecePoints = kPieceBytes / sizeof(Raw);
    for (std::size_t at = 0; at < count; at += kPiecePoints) {
        const std::size_t piece = std::min(kPiecePoints, count - at);
        if (std::fread(raw + at, sizeof(Raw), piece, in) != piece) {
            return false;
        }
        for (std::size_t i = at; i < at + piece; ++i) {
            const std::int16_t value = decode(raw[i]);
            low = std::min(low, value);
            high = std::max(high, value);
        }
        if (!progress.Advance(piece * sizeof(Raw))) {
            return false;
        }
    }
    const CodeMap map(low, high, lowest, highest);
    constexpr std::size_t kPatterns = std::size_t{1} << (8 * sizeof(Raw));
    table.resize(kPatterns);
    for (std::size_t pattern = 0; pattern < kPatterns; ++pattern) {
        table[pattern] = map.Code(decode(static_cast<Raw>(pattern)));
    }
    return true;
}

std::uint16_t SwapBytes(std::uint16_t bits) {
    return static_cast<std::uint16_t>((bits >> 8) | (bits << 8));
}

// Reads the valid points and makes their table: words in the announced byte order, bytes
// as the high byte of their word.
bool ReadTrace(std::FILE* in, const Trace& trace, Points& points, int lowest, int highest,
               TraceProgress& progress) {
    if (trace.dataPosition > static_cast<long long>(LONG_MAX) ||
        std::fseek(in, static_cast<long>(trace.dataPosition), SEEK_SET) != 0) {
        return false;
    }
    const std::size_t count = points.count;
    if (trace.width == 1) {
        points.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(count);
        const auto decode = [](std::uint8_t raw) {
            return static_cast<std::int16_t>(static_cast<std::int8_t>(raw) * 256);
        };
        return ReadPoints(in, points.bytes.get(), count, decode, lowest, highest, points.table,
                          progress);
    }
    auto* words = reinterpret_cast<std::uint16_t*>(points.codes.get());
    if (trace.bigEndian != (std::endian::native == std::endian::big)) {
        const auto decode = [](std::uint16_t raw) {
            return static_cast<std::int16_t>(SwapBytes(raw));
        };
        return ReadPoints(in, words, count, decode, lowest, highest, points.table, progress);
    }
    const auto decode = [](std::uint16_t raw) { return static_cast<std::int16_t>(raw); };
    return ReadPoints(in, words, count, decode, lowest, highest, points.table, progress);
}

// Looks the codes up and writes them, a piece at a time. Stopped on the way, the writer
// goes without Commit(): the target stays as it was and the temporary file is removed.
bool WriteCodes(const std::string& target, Points& points, TraceProgress& progress) {
    AtomicFileWriter out(target);
    if (!out.Open()) {
        return false;
    }
    // Each piece goes to the disk while the next is looked up.
    out.StartEachPiece(kPieceBytes);
    constexpr std::size_t kPiecePoints = kPieceBytes / sizeof(std::int16_t);
    for (std::size_t at = 0; at < points.count; at += kPiecePoints) {
        const std::size_t piece = std::min(kPiecePoints, points.count - at);
        points.Map(at, piece);
        std::int16_t* codes = points.codes.get() + at;
        if constexpr (std::endian::native == std::endian::big) {
            for (std::size_t i = 0; i < piece; ++i) {
                codes[i] =
                    static_cast<std::int16_t>(SwapBytes(static_cast<std::uint16_t>(codes[i])));
            }
        }
        out.Write(codes, piece * sizeof(std::int16_t));
        if (!progress.Advance(piece * sizeof(std::int16_t))) {
            return false;
        }
    }
    return out.Commit();
}

// A trace that holds no waveform removes the waveform file an earlier import left beside
// it, as the import's rule does, so that the old points are never taken for this trace's.
// Only a file goes: never the trace itself, a folder or anything else in the way.
void RemoveOldTarget(const std::string& path, const std::string& target) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(target, error);
    if (!error && target != path &&
        (std::filesystem::is_regular_file(status) || std::filesystem::is_symlink(status))) {
        std::filesystem::remove(target, error);
    }
}

bool ReadCodes(std::FILE* in, long long fileSize, bool fourteenBit, Points& points,
               TraceProgress& progress) {
    const std::optional<Trace> trace = ReadDescriptor(in, fileSize);
    if (!trace) {
        return false;
    }
    points.count = static_cast<std::size_t>(trace->points);
    progress.SetTotal(points.count, trace->width);
    points.codes = std::make_unique_for_overwrite<std::int16_t[]>(points.count);
    return ReadTrace(in, *trace, points, fourteenBit ? -8192 : -2048, fourteenBit ? 8191 : 2047,
                     progress);
}

} // namespace

std::string TraceImport::ImportTrace(const std::string& path, bool fourteenBit,
                                     const ImportProgress& progress) {
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(std::filesystem::path(path), error);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
    if (error || !in || fileSize > static_cast<std::uintmax_t>(LLONG_MAX)) {
        return {};
    }
    const std::string target = ReplaceExtension(path, ".wav");
    Points points;
    TraceProgress pieces(progress);
    if (!ReadCodes(in.get(), static_cast<long long>(fileSize), fourteenBit, points, pieces)) {
        // A stopped import leaves everything as it was, the earlier waveform included.
        if (!pieces.Stopped()) {
            RemoveOldTarget(path, target);
        }
        return {};
    }
    return WriteCodes(target, points, pieces) ? target : std::string();
}

std::string TraceImport::ImportTrace(const std::string& path, const ImportProgress& progress) {
    return ImportTrace(path, FourteenBitTarget(), progress);
}

bool TraceImport::FourteenBitTarget() {
    std::string mode;
    if (!store_.ReadProfileText("WaveDown", "ConvertMode", mode, 256, store_.FamilyFile(), true)) {
        return false;
    }
    return StartsWithNoCase(mode, "CONV_DMA14");
}
