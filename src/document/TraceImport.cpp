#include "document/TraceImport.h"

#include "document/AtomicFileWriter.h"
#include "document/PathText.h"
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
constexpr std::size_t kChunkPoints = 1 << 16;

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

// The raw points as 16-bit values: words in the announced byte order, bytes as the high
// byte of their word.
bool ReadPoints(std::FILE* in, const Trace& trace, std::vector<std::int16_t>& values) {
    if (trace.dataPosition > static_cast<long long>(LONG_MAX) ||
        std::fseek(in, static_cast<long>(trace.dataPosition), SEEK_SET) != 0) {
        return false;
    }
    values.resize(static_cast<std::size_t>(trace.points));
    std::vector<unsigned char> chunk(kChunkPoints * static_cast<std::size_t>(trace.width));
    for (std::size_t done = 0; done < values.size();) {
        const std::size_t n = std::min(kChunkPoints, values.size() - done);
        const std::size_t bytes = n * static_cast<std::size_t>(trace.width);
        if (std::fread(chunk.data(), 1, bytes, in) != bytes) {
            return false;
        }
        std::int16_t* out = values.data() + done;
        if (trace.width == 1) {
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = static_cast<std::int16_t>(static_cast<std::int8_t>(chunk[i]) * 256);
            }
        } else {
            const int high = trace.bigEndian ? 0 : 1;
            for (std::size_t i = 0; i < n; ++i) {
                const unsigned word =
                    (unsigned{chunk[2 * i + high]} << 8) | chunk[2 * i + 1 - high];
                out[i] = static_cast<std::int16_t>(word);
            }
        }
        done += n;
    }
    return true;
}

// Maps [smallest, largest] linearly onto [lowest, highest] and truncates toward zero,
// computed exactly in integers: lowest + (value - smallest) x (highest - lowest) /
// (largest - smallest). In doubles, slope x value + intercept can land a hair above the
// lowest code for the smallest point (20.475 x 100 - 4095.5 is -2047.9999999999998) and
// truncate to the next code. Equal points all become the lowest code.
void ScaleOntoRange(std::vector<std::int16_t>& values, int lowest, int highest) {
    int smallest = 1000000000;
    int largest = -1000000000;
    for (const std::int16_t value : values) {
        smallest = std::min<int>(smallest, value);
        largest = std::max<int>(largest, value);
    }
    const std::int32_t span = largest - smallest;
    if (span <= 0) {
        std::fill(values.begin(), values.end(), static_cast<std::int16_t>(lowest));
        return;
    }
    // One code per possible point value: at most 65536 divisions whatever the length.
    // |lowest x span| + span x (highest - lowest) stays below 2^31.
    std::vector<std::int16_t> codes(static_cast<std::size_t>(span) + 1);
    for (std::int32_t offset = 0; offset <= span; ++offset) {
        const std::int32_t numerator = lowest * span + offset * (highest - lowest);
        codes[static_cast<std::size_t>(offset)] = static_cast<std::int16_t>(numerator / span);
    }
    for (std::int16_t& value : values) {
        value = codes[static_cast<std::size_t>(value - smallest)];
    }
}

bool WriteCodes(const std::string& target, std::vector<std::int16_t>& codes) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::int16_t& code : codes) {
            code = static_cast<std::int16_t>(std::rotl(static_cast<std::uint16_t>(code), 8));
        }
    }
    AtomicFileWriter out(target);
    if (!out.Open()) {
        return false;
    }
    out.Write(codes.data(), codes.size() * sizeof(std::int16_t));
    return out.Commit();
}

} // namespace

std::string TraceImport::ImportTrace(const std::string& path, bool fourteenBit) {
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(std::filesystem::path(path), error);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
    if (error || !in || fileSize > static_cast<std::uintmax_t>(LLONG_MAX)) {
        return {};
    }
    const std::optional<Trace> trace = ReadDescriptor(in.get(), static_cast<long long>(fileSize));
    std::vector<std::int16_t> values;
    if (!trace || !ReadPoints(in.get(), *trace, values)) {
        return {};
    }
    ScaleOntoRange(values, fourteenBit ? -8192 : -2048, fourteenBit ? 8191 : 2047);
    const std::string target = ReplaceExtension(path, ".wav");
    return WriteCodes(target, values) ? target : std::string();
}

std::string TraceImport::ImportTrace(const std::string& path) {
    return ImportTrace(path, FourteenBitTarget());
}

bool TraceImport::FourteenBitTarget() {
    std::string mode;
    if (!store_.ReadProfileText("WaveDown", "ConvertMode", mode, 256, store_.FamilyFile(), true)) {
        return false;
    }
    return StartsWithNoCase(mode, "CONV_DMA14");
}
