#include "document/TextExport.h"

#include "document/CrtConversions.h"
#include "document/SampleBuffer.h"
#include "document/SixDigitText.h"
#include "settings/AtomicFileWriter.h"
#include "settings/DecimalReader.h"
#include "settings/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t kFlushSize = 1 << 20;
constexpr std::size_t kLongestRecord = 64; // "index, value\r\n" or one "%g" and a blank
constexpr double kExactIntegerLimit = 9007199254740992.0; // 2^53

char* WriteInteger(char* out, long long v) {
    return std::to_chars(out, out + 24, v).ptr;
}

// A whole number below 1e6, written without a library call.
char* WriteSmallInteger(char* out, std::uint32_t value) {
    const int length = value >= 100000  ? 6
                       : value >= 10000 ? 5
                       : value >= 1000  ? 4
                       : value >= 100   ? 3
                       : value >= 10    ? 2
                                        : 1;
    for (int i = length - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + length;
}

char* WriteExponent(char* out, int exponent) {
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    *out++ = static_cast<char>('0' + magnitude / 100);
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

char* Copy(char* out, const char* first, const char* last) {
    while (first != last) {
        *out++ = *first++;
    }
    return out;
}

// Six significant digits and the decimal exponent of the first, as "%g" lays them out:
// exponent form below 1e-4 and from 1e6 on, trailing zeros of the fraction removed.
char* LayOutSixDigits(char* out, const char (&digits)[6], int exponent) {
    int last = 5;
    while (last > 0 && digits[last] == '0') {
        --last;
    }
    if (exponent < -4 || exponent >= 6) {
        *out++ = digits[0];
        if (last > 0) {
            *out++ = '.';
            out = Copy(out, digits + 1, digits + last + 1);
        }
        return WriteExponent(out, exponent);
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int zero = 1; zero < -exponent; ++zero) {
            *out++ = '0';
        }
        return Copy(out, digits, digits + last + 1);
    }
    out = Copy(out, digits, digits + exponent + 1);
    if (last > exponent) {
        *out++ = '.';
        out = Copy(out, digits + exponent + 1, digits + last + 1);
    }
    return out;
}

// The original library rounds the 17 significant digits it converts, not the exact value,
// to the digits shown, a 5 rounding up. `first17` holds those digits.
void RoundSeventeenToSix(const char* first17, char (&digits)[6], int& exponent) {
    std::memcpy(digits, first17, 6);
    if (first17[6] < '5') {
        return;
    }
    int i = 5;
    while (i >= 0 && digits[i] == '9') {
        digits[i--] = '0';
    }
    if (i >= 0) {
        ++digits[i];
    } else {
        digits[0] = '1';
        ++exponent;
    }
}

// Six significant digits given as a whole number from 100000 to 999999.
char* WriteSixDigits(char* out, std::uint64_t mantissa, int exponent) {
    char digits[6];
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + mantissa % 10);
        mantissa /= 10;
    }
    return LayOutSixDigits(out, digits, exponent);
}

// A whole number from 1e6 up to 2^53: its 17 digits are exact, so the rounding works on
// the integer itself.
char* WriteLargeInteger(char* out, std::uint64_t magnitude) {
    int exponent = 5;
    std::uint64_t divisor = 1;
    for (std::uint64_t m = magnitude; m >= 1000000; m /= 10) {
        divisor *= 10;
        ++exponent;
    }
    std::uint64_t mantissa = magnitude / divisor;
    if (magnitude % divisor >= divisor / 2) {
        ++mantissa;
        if (mantissa == 1000000) {
            mantissa = 100000;
            ++exponent;
        }
    }
    return WriteSixDigits(out, mantissa, exponent);
}

char* WriteAnyMagnitude(char* out, double magnitude) {
    char text[40];
    const char* end =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 16).ptr;
    char first17[17];
    first17[0] = text[0];
    std::memcpy(first17 + 1, text + 2, 16);
    int exponent = 0;
    std::from_chars(text + 20, end, exponent); // after "d.dddddddddddddddde" and the sign
    exponent = text[19] == '-' ? -exponent : exponent;
    char digits[6];
    RoundSeventeenToSix(first17, digits, exponent);
    return LayOutSixDigits(out, digits, exponent);
}

// Text gathered in a buffer and handed to the file in large pieces. Writers get a cursor
// with room for at least one record.
class TextBuffer {
public:
    explicit TextBuffer(AtomicFileWriter& file) : file_(file), text_(kFlushSize + kLongestRecord) {}
    char* Cursor() { return text_.data() + used_; }
    void Advance(char* end) {
        used_ = static_cast<std::size_t>(end - text_.data());
        if (used_ >= kFlushSize) {
            Flush();
        }
    }
    void Flush() {
        file_.Write(text_.data(), used_);
        used_ = 0;
    }

private:
    AtomicFileWriter& file_;
    std::vector<char> text_;
    std::size_t used_ = 0;
};

// Points written between two questions to the progress callback: a few milliseconds of
// text, so that a stop is heard at once and the questions cost nothing.
constexpr std::size_t kProgressStride = std::size_t{1} << 20;

// Calls writePoint(i) for every point, asking `progress` between strides; false once it
// answers stop.
template <typename WritePoint>
bool WriteInStrides(std::size_t count, const ProgressCallback& progress, WritePoint writePoint) {
    for (std::size_t begin = 0; begin < count; begin += kProgressStride) {
        const std::size_t end = std::min(count, begin + kProgressStride);
        for (std::size_t i = begin; i < end; ++i) {
            writePoint(i);
        }
        if (progress && !progress(static_cast<double>(end) / static_cast<double>(count))) {
            return false;
        }
    }
    return true;
}

template <typename T, typename WriteValue>
bool WriteSpaced(TextBuffer& text, const T* values, std::size_t count,
                 const ProgressCallback& progress, WriteValue write) {
    return WriteInStrides(count, progress, [&](std::size_t i) {
        char* out = text.Cursor();
        if (i > 0) {
            *out++ = ' ';
        }
        text.Advance(write(out, values[i]));
    });
}

template <typename T, typename ToInteger>
bool WriteCsv(TextBuffer& text, const T* values, std::size_t count,
              const ProgressCallback& progress, ToInteger toInteger) {
    return WriteInStrides(count, progress, [&](std::size_t i) {
        char* out = WriteInteger(text.Cursor(), static_cast<long long>(i));
        *out++ = ',';
        *out++ = ' ';
        out = WriteInteger(out, toInteger(values[i]));
        if (i + 1 < count) {
            *out++ = '\r';
            *out++ = '\n';
        }
        text.Advance(out);
    });
}

// Ends an export: a stopped one leaves the old file as it was (the writer removes its
// temporary file) and says nothing in `error`.
bool FinishExport(AtomicFileWriter& file, TextBuffer& text, bool complete, std::string* error) {
    if (!complete) {
        if (error != nullptr) {
            error->clear();
        }
        return false;
    }
    text.Flush();
    return file.Commit() || file.ErrorTo(error);
}

} // namespace

char* TextExport::WriteGeneral(char* out, double v) {
    if (!std::isfinite(v)) {
        const std::string text = CrtFormat("%g", v);
        return Copy(out, text.data(), text.data() + text.size());
    }
    if (std::signbit(v)) {
        *out++ = '-';
    }
    const double magnitude = std::fabs(v);
    if (magnitude != std::trunc(magnitude) || magnitude >= kExactIntegerLimit) {
        return WriteAnyMagnitude(out, magnitude);
    }
    if (magnitude < 1000000.0) {
        return WriteInteger(out, static_cast<long long>(magnitude));
    }
    return WriteLargeInteger(out, static_cast<std::uint64_t>(magnitude));
}

// A text exactly at a tie at the 7th digit (one in ten of the seven-digit numbers a scope
// writes) is settled by where its double lies; any other near tie is left to the exact
// conversion.
namespace {

// 5 x 10^n for n from -11 to 19: half a unit of the 17th digit of a number of `count`
// digits times 10^exponent is 5 x 10^(count - 18 + exponent).
constexpr double kHalfUnits[31] = {
    5e-11, 5e-10, 5e-9, 5e-8, 5e-7, 5e-6, 5e-5, 5e-4, 5e-3, 5e-2, 5e-1, 5e0,  5e1,  5e2,  5e3, 5e4,
    5e5,   5e6,   5e7,  5e8,  5e9,  5e10, 5e11, 5e12, 5e13, 5e14, 5e15, 5e16, 5e17, 5e18, 5e19};

// A text whose digits after the 6th are exactly 5, 0, 0, ... (X = digits x 10^exponent):
// its 17 digits read "...5000..." and round up unless v lies more than half a unit of the
// 17th digit below X, where they read "...4999...". The distance of v from X, scaled by the
// power of ten, comes exactly out of one fused multiply-add (v and the power are doubles,
// the digits a whole number below 2^53, the power within 10^22). nullopt when it is
// exactly the nearest double to that half unit, where the double cannot tell the side.
std::optional<bool> TieRoundsUp(double magnitude, const DecimalText& text, int count) {
    if (count > 15 || text.exponent < -22 || text.exponent > 22) {
        return std::nullopt;
    }
    const double digits = static_cast<double>(text.digits);
    double below = 0; // how far v lies below X, in units of 10^min(exponent, 0)
    int half = count - 18;
    if (text.exponent < 0) {
        below = -std::fma(magnitude, DecimalReader::kExactPowers[-text.exponent], -digits);
    } else {
        below = std::fma(digits, DecimalReader::kExactPowers[text.exponent], -magnitude);
        half += text.exponent;
    }
    const double limit = kHalfUnits[half + 11];
    if (below == limit) {
        return std::nullopt;
    }
    return below < limit;
}

// nullopt when they are not known from the text and v alone (no digits kept, not a normal
// number, or too close to a tie at the 7th digit).
std::optional<SixDigitText::Digits> RoundToSixDigits(double v, const DecimalText& text) {
    if (!std::isnormal(v)) {
        return std::nullopt;
    }
    std::optional<SixDigitText::Rounding> rounding = SixDigitText::Round(text);
    if (rounding && rounding->tie) {
        const std::optional<bool> up = TieRoundsUp(std::fabs(v), text, rounding->count);
        if (!up) {
            return std::nullopt;
        }
        rounding->up = *up;
    }
    if (!rounding) {
        return std::nullopt;
    }
    return rounding->Result();
}

} // namespace

char* TextExport::WriteGeneral(char* out, double v, const DecimalText& text) {
    if (text.digits != 0 && std::isnormal(v) && text.exponent == 0 && text.digits < 1000000) {
        if (v < 0) {
            *out++ = '-';
        }
        return WriteSmallInteger(out, static_cast<std::uint32_t>(text.digits));
    }
    const std::optional<SixDigitText::Digits> six = RoundToSixDigits(v, text);
    if (!six) {
        return WriteGeneral(out, v);
    }
    if (v < 0) {
        *out++ = '-';
    }
    return WriteSixDigits(out, six->mantissa, six->exponent);
}

// Any correct reading of the six digits gives what the "%g" text reads back as. Where the
// power of ten is too large, the text is written and read.
double TextExport::GeneralValue(double v, const DecimalText& text) {
    if (text.digits != 0 && text.digits < 1000000 && std::isnormal(v)) {
        return v; // six digits or fewer: "%g" writes them all, and they read back as v
    }
    const std::optional<SixDigitText::Digits> six = RoundToSixDigits(v, text);
    const std::optional<double> magnitude = six ? SixDigitText::Magnitude(*six) : std::nullopt;
    if (!magnitude) {
        char buffer[kLongestGeneral];
        char* const end = WriteGeneral(buffer, v, text);
        double value = 0;
        DecimalReader::Read(buffer, end, value);
        return value;
    }
    return v < 0 ? -*magnitude : *magnitude;
}

void TextExport::AppendGeneral(std::string& out, double v) {
    char text[kLongestGeneral];
    out.append(text, WriteGeneral(text, v));
}

bool TextExport::ExportSpaced(const SampleBuffer& samples, const std::string& path,
                              std::string* error, const ProgressCallback& progress) {
    AtomicFileWriter file(path);
    if (!file.Open()) {
        return file.ErrorTo(error);
    }
    TextBuffer text(file);
    const std::size_t count = samples.Size();
    bool complete = false;
    switch (samples.Kind()) {
    case SampleKind::Code16:
        // Every 16-bit code is a whole number below 1e6: "%g" writes its plain digits.
        complete = WriteSpaced(text, samples.Codes16(), count, progress,
                               [](char* out, std::int16_t v) { return WriteInteger(out, v); });
        break;
    case SampleKind::Code32:
        complete =
            WriteSpaced(text, samples.Codes32(), count, progress, [](char* out, std::int32_t v) {
                return v > -1000000 && v < 1000000 ? WriteInteger(out, v) : WriteGeneral(out, v);
            });
        break;
    default:
        complete = WriteSpaced(text, samples.Values64(), count, progress,
                               [](char* out, double v) { return WriteGeneral(out, v); });
        break;
    }
    return FinishExport(file, text, complete, error);
}

bool TextExport::ExportCsv(const SampleBuffer& samples, const std::string& path, std::string* error,
                           const ProgressCallback& progress) {
    AtomicFileWriter file(path);
    if (!file.Open()) {
        return file.ErrorTo(error);
    }
    TextBuffer text(file);
    const std::size_t count = samples.Size();
    const auto same = [](auto v) { return static_cast<long long>(v); };
    bool complete = false;
    switch (samples.Kind()) {
    case SampleKind::Code16:
        complete = WriteCsv(text, samples.Codes16(), count, progress, same);
        break;
    case SampleKind::Code32:
        complete = WriteCsv(text, samples.Codes32(), count, progress, same);
        break;
    default:
        complete = WriteCsv(text, samples.Values64(), count, progress, &TruncateToInt64);
        break;
    }
    return FinishExport(file, text, complete, error);
}
