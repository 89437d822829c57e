#include "document/TextExport.h"

#include "document/AtomicFileWriter.h"
#include "document/CrtConversions.h"
#include "document/SampleBuffer.h"
#include "settings/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kFlushSize = 1 << 20;
constexpr double kExactIntegerLimit = 9007199254740992.0; // 2^53

void AppendInteger(std::string& out, long long v) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, v);
    out.append(digits, result.ptr);
}

void AppendExponent(std::string& out, int exponent) {
    out.push_back('e');
    out.push_back(exponent < 0 ? '-' : '+');
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude >= 100) {
        out.push_back(static_cast<char>('0' + magnitude / 100));
    } else {
        out.push_back('0');
    }
    out.push_back(static_cast<char>('0' + magnitude / 10 % 10));
    out.push_back(static_cast<char>('0' + magnitude % 10));
}

// Six significant digits and the decimal exponent of the first, as "%g" lays them out:
// exponent form below 1e-4 and from 1e6 on, trailing zeros of the fraction removed.
void LayOutSixDigits(std::string& out, const char (&digits)[6], int exponent) {
    int last = 5;
    while (last > 0 && digits[last] == '0') {
        --last;
    }
    if (exponent < -4 || exponent >= 6) {
        out.push_back(digits[0]);
        if (last > 0) {
            out.push_back('.');
            out.append(digits + 1, digits + last + 1);
        }
        AppendExponent(out, exponent);
        return;
    }
    if (exponent < 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out.append(digits, digits + last + 1);
        return;
    }
    out.append(digits, digits + exponent + 1);
    if (last > exponent) {
        out.push_back('.');
        out.append(digits + exponent + 1, digits + last + 1);
    }
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

// A whole number from 1e6 up to 2^53: its 17 digits are exact, so the rounding works on
// the integer itself.
void AppendLargeInteger(std::string& out, std::uint64_t magnitude) {
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
    char digits[6];
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + mantissa % 10);
        mantissa /= 10;
    }
    LayOutSixDigits(out, digits, exponent);
}

void AppendAnyMagnitude(std::string& out, double magnitude) {
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
    LayOutSixDigits(out, digits, exponent);
}

// Collects text in memory and hands it to the file in large pieces.
class ChunkedOutput {
public:
    explicit ChunkedOutput(AtomicFileWriter& file) : file_(file) { text_.reserve(kFlushSize + 64); }
    std::string& Text() { return text_; }
    void FlushIfFull() {
        if (text_.size() >= kFlushSize) {
            Flush();
        }
    }
    void Flush() {
        file_.Write(text_);
        text_.clear();
    }

private:
    AtomicFileWriter& file_;
    std::string text_;
};

long long IntegerValue(const SampleBuffer& samples, std::size_t i) {
    switch (samples.Kind()) {
    case SampleKind::Code16:
        return samples.Codes16()[i];
    case SampleKind::Code32:
        return samples.Codes32()[i];
    default:
        return TruncateToInt64(samples.Values64()[i]);
    }
}

} // namespace

void TextExport::AppendGeneral(std::string& out, double v) {
    if (!std::isfinite(v)) {
        out.append(CrtFormat("%g", v));
        return;
    }
    if (std::signbit(v)) {
        out.push_back('-');
    }
    const double magnitude = std::fabs(v);
    if (magnitude != std::trunc(magnitude) || magnitude >= kExactIntegerLimit) {
        AppendAnyMagnitude(out, magnitude);
    } else if (magnitude < 1000000.0) {
        AppendInteger(out, static_cast<long long>(magnitude));
    } else {
        AppendLargeInteger(out, static_cast<std::uint64_t>(magnitude));
    }
}

bool TextExport::ExportSpaced(const SampleBuffer& samples, const std::string& path) {
    AtomicFileWriter file(path);
    if (!file.Open()) {
        return false;
    }
    ChunkedOutput output(file);
    std::string& text = output.Text();
    const std::size_t count = samples.Size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text.push_back(' ');
        }
        switch (samples.Kind()) {
        case SampleKind::Code16:
            AppendInteger(text, samples.Codes16()[i]);
            break;
        default:
            AppendGeneral(text, samples.At(i));
            break;
        }
        output.FlushIfFull();
    }
    output.Flush();
    return file.Commit();
}

bool TextExport::ExportCsv(const SampleBuffer& samples, const std::string& path) {
    AtomicFileWriter file(path);
    if (!file.Open()) {
        return false;
    }
    ChunkedOutput output(file);
    std::string& text = output.Text();
    const std::size_t count = samples.Size();
    for (std::size_t i = 0; i < count; ++i) {
        AppendInteger(text, static_cast<long long>(i));
        text.append(", ");
        AppendInteger(text, IntegerValue(samples, i));
        if (i + 1 < count) {
            text.append("\r\n");
        }
        output.FlushIfFull();
    }
    output.Flush();
    return file.Commit();
}
