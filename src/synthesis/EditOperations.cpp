#include "synthesis/EditOperations.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentView.h"
#include "document/WaveDoc.h"
#include "settings/FileHelpers.h"
#include "synthesis/EditCommands.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>

namespace {

constexpr double kFmCodeTop = 1e9;

// The original platform's casts from double: truncation toward zero, the lowest integer
// for NaN and numbers out of range, the low 16 bits for 16-bit codes.
std::int32_t ToInt32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(v);
}

template <typename T> T Convert(double v);
template <> std::int16_t Convert<std::int16_t>(double v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(ToInt32(v)));
}
template <> std::int32_t Convert<std::int32_t>(double v) {
    return ToInt32(v);
}
template <> double Convert<double>(double v) {
    return std::trunc(v);
}

// Runs f with the typed array of the buffer's kind.
template <typename F> void WithTypedData(const SampleEdit& samples, F&& f) {
    switch (samples.Kind()) {
    case SampleKind::Code16:
        f(samples.Codes16());
        break;
    case SampleKind::Code32:
        f(samples.Codes32());
        break;
    case SampleKind::Hz64:
        f(samples.Values64());
        break;
    }
}

// The integer forms step by (x - y) / W in integers, toward zero; values in Hz exactly.
// 16-bit differences and any W of a real waveform fit a 32-bit division, which is the
// cost of the whole loop.
template <typename T> struct FilterStep {
    explicit FilterStep(long long w) : w_(w) {}
    double operator()(T x, T y) const {
        return static_cast<double>((static_cast<long long>(x) - static_cast<long long>(y)) / w_);
    }
    long long w_;
};
template <> struct FilterStep<std::int16_t> {
    explicit FilterStep(long long w)
        : w_(static_cast<std::int32_t>(std::min<long long>(w, INT32_MAX))) {}
    double operator()(std::int16_t x, std::int16_t y) const {
        return static_cast<double>((static_cast<std::int32_t>(x) - y) / w_);
    }
    std::int32_t w_;
};
template <> struct FilterStep<double> {
    explicit FilterStep(long long w) : w_(static_cast<double>(w)) {}
    double operator()(double x, double y) const { return (x - y) / w_; }
    double w_;
};

template <typename T>
void FilterTyped(T* s, long long a, long long b, long long w, long long wrap, long long last) {
    double sum = 0.0;
    for (long long j = a - w / 2; j <= a + w / 2; ++j) {
        const long long k = std::clamp(j < 0 ? j + wrap : j, 0LL, last);
        sum += static_cast<double>(s[k]);
    }
    double m = sum / static_cast<double>(w);
    s[a] = Convert<T>(m);
    const FilterStep<T> step(w);
    for (long long i = a + 1; i < b; ++i) {
        m += step(s[i], s[i - 1]);
        s[i] = Convert<T>(m);
    }
}

// Limits inside the 32-bit range make the range check of the conversion unnecessary.
template <typename T> T ConvertClamped(double v, double low, double high, bool plainCast) {
    const double kept = std::clamp(v, low, high);
    if constexpr (std::is_same_v<T, double>) {
        return std::trunc(kept);
    } else {
        if (plainCast) {
            return static_cast<T>(static_cast<std::int32_t>(kept));
        }
        return Convert<T>(kept);
    }
}

bool FitsInt32(double low, double high) {
    return low > -2147483649.0 && high < 2147483648.0 && low <= high;
}

double Det3(const double m[3][3]) {
    return m[0][0] * m[1][1] * m[2][2] + m[0][1] * m[1][2] * m[2][0] + m[0][2] * m[1][0] * m[2][1] -
           m[0][2] * m[1][1] * m[2][0] - m[0][0] * m[1][2] * m[2][1] - m[0][1] * m[1][0] * m[2][2];
}

// c3 t^3 + c2 t^2 + c1 t = rhs at three values of t, by Cramer's rule.
bool SolveCubic(const double t[3], const double rhs[3], double c[3]) {
    double system[3][3];
    for (int row = 0; row < 3; ++row) {
        system[row][0] = t[row] * t[row] * t[row];
        system[row][1] = t[row] * t[row];
        system[row][2] = t[row];
    }
    const double det = Det3(system);
    if (det == 0.0 || !std::isfinite(det)) {
        return false;
    }
    for (int column = 0; column < 3; ++column) {
        double replaced[3][3];
        std::memcpy(replaced, system, sizeof(system));
        for (int row = 0; row < 3; ++row) {
            replaced[row][column] = rhs[row];
        }
        c[column] = Det3(replaced) / det;
    }
    return true;
}

std::string WholeText(double n) {
    return std::to_string(static_cast<long long>(n));
}

// The length a trim leaves, after the resolution rule and the length range; nothing when
// the user cancelled or the length is out of range (message 3002 shown).
std::optional<double> CheckedTrimLength(WaveDoc& document, double n) {
    const auto corrected = document.CheckLength(n);
    if (!corrected) {
        return std::nullopt;
    }
    n = *corrected;
    if (!(n >= document.Limits().LengthLow() && n <= document.Limits().LengthHigh())) {
        document.Ui().ShowMessage(MsgValueOutOfRange);
        return std::nullopt;
    }
    return n;
}

// False when the new length could not be written (the document keeps the old one).
bool ApplyLength(WaveDoc& document, double n) {
    const std::string text = WholeText(n);
    document.View()->ShowLengthText(text);
    document.SetLength(text);
    return document.Length() == n;
}

} // namespace

bool EditOperations::Filter(const SampleEdit& samples, long long a, long long b, double xmax) {
    const long long w = (b - a) / 15;
    const long long last = static_cast<long long>(samples.Size()) - 1;
    if (w <= 0 || a < 0 || b > last) {
        return false;
    }
    const long long wrap = static_cast<long long>(xmax);
    WithTypedData(samples, [&](auto* data) { FilterTyped(data, a, b, w, wrap, last); });
    return true;
}

bool EditOperations::Smooth(const SampleEdit& samples, long long a, long long b,
                            ValueLimits limits) {
    const long long last = static_cast<long long>(samples.Size()) - 1;
    if (a < 0 || b <= a || b > last) {
        return false;
    }
    const long long n = b - a + 1;
    // The last point has no successor: fit the cubic to the end from inside instead.
    const bool hasSuccessor = b < last;
    const long long end = hasSuccessor ? n : n - 1;
    const double t[3] = {1.0, static_cast<double>(end - 1), static_cast<double>(end)};
    const double s0 = samples.At(static_cast<std::size_t>(a));
    double rhs[3];
    for (int row = 0; row < 3; ++row) {
        rhs[row] = samples.At(static_cast<std::size_t>(a + static_cast<long long>(t[row]))) - s0;
    }
    double c[3];
    if (!SolveCubic(t, rhs, c)) {
        return false;
    }
    const bool plainCast = FitsInt32(limits.low, limits.high);
    WithTypedData(samples, [&](auto* data) {
        using T = std::remove_pointer_t<decltype(data)>;
        T* out = data + a;
        for (long long k = 0; k <= end; ++k) {
            const double x = static_cast<double>(k);
            const double y = ((c[0] * x + c[1]) * x + c[2]) * x + s0;
            out[k] = ConvertClamped<T>(y, limits.low, limits.high, plainCast);
        }
    });
    return true;
}

bool EditOperations::Invert(const SampleEdit& samples, long long a, long long b, MirrorRule rule) {
    const long long last = static_cast<long long>(samples.Size()) - 1;
    if (b - a + 1 < 2 || a < 0 || b > last) {
        return false;
    }
    const bool plainCast = FitsInt32(rule.low, rule.high);
    WithTypedData(samples, [&](auto* data) {
        using T = std::remove_pointer_t<decltype(data)>;
        for (long long i = a; i <= b; ++i) {
            const double v = rule.mirror - static_cast<double>(data[i]);
            data[i] = ConvertClamped<T>(v, rule.low, rule.high, plainCast);
        }
    });
    return true;
}

bool EditOperations::DrawSegment(const SampleEdit& samples, long long i0, double v0, long long i1,
                                 double v1) {
    if (i1 < i0) {
        std::swap(i0, i1);
        std::swap(v0, v1);
    }
    if (i1 - i0 + 1 < 2) {
        return false;
    }
    const double k = (v1 - v0) / static_cast<double>(i1 - i0);
    const double intercept = v0 - static_cast<double>(i0) * k;
    const long long first = std::max(i0, 0LL);
    const long long last = std::min(i1, static_cast<long long>(samples.Size()) - 1);
    WithTypedData(samples, [&](auto* data) {
        using T = std::remove_pointer_t<decltype(data)>;
        for (long long i = first; i <= last; ++i) {
            data[i] = Convert<T>(std::trunc(static_cast<double>(i) * k + intercept));
        }
    });
    return true;
}

ValueLimits EditOperations::SmoothLimits(WaveDoc& document) {
    switch (document.Samples().Kind()) {
    case SampleKind::Code32:
        return {0.0, kFmCodeTop};
    case SampleKind::Hz64:
        return {0.0, document.Fm().UpperLimit()};
    case SampleKind::Code16:
        break;
    }
    return {document.Limits().VerticalLow(), document.Limits().VerticalHigh()};
}

MirrorRule EditOperations::InvertRule(WaveDoc& document) {
    switch (document.Samples().Kind()) {
    case SampleKind::Code32:
        return {kFmCodeTop, 0.0, kFmCodeTop};
    case SampleKind::Hz64: {
        const double top = std::trunc(document.Fm().Fmax());
        const double bottom = document.Fm().Fmin();
        return {top + bottom, bottom, top};
    }
    case SampleKind::Code16:
        break;
    }
    return {0.0, std::trunc(document.Limits().VerticalLow()),
            std::trunc(document.Limits().VerticalHigh())};
}

bool EditOperations::Apply(WaveDoc& document, int commandId, long long a, long long b,
                           double xmax) {
    const SampleEdit samples = document.EditAllPoints();
    switch (commandId) {
    case EditCommands::kFilter:
        if ((b - a) / 15 <= 0) {
            return false;
        }
        return document.ApplyChange("Filtering the waveform",
                                    [&] { return Filter(samples, a, b, xmax); });
    case EditCommands::kSmooth:
        return document.ApplyChange("Smoothing the waveform",
                                    [&] { return Smooth(samples, a, b, SmoothLimits(document)); });
    case EditCommands::kInvert:
        return document.ApplyChange("Inverting the waveform",
                                    [&] { return Invert(samples, a, b, InvertRule(document)); });
    default:
        return false;
    }
}

bool EditOperations::TrimRight(WaveDoc& document) {
    DocumentView* view = document.View();
    if (view == nullptr || view->RightAnchor() >= document.Length() - 1) {
        return false;
    }
    const auto n = CheckedTrimLength(document, std::trunc(view->RightAnchor()) + 1);
    if (!n) {
        return false;
    }
    return ApplyLength(document, *n);
}

bool EditOperations::TrimLeft(WaveDoc& document) {
    DocumentView* view = document.View();
    const double length = document.Length();
    const long long a = static_cast<long long>(view == nullptr ? 0.0 : view->LeftAnchor());
    if (a <= 0 || a >= static_cast<long long>(length)) {
        return false;
    }
    const auto n = CheckedTrimLength(document, length - static_cast<double>(a));
    if (!n) {
        return false;
    }
    // The undo copy first, then the shift and the cut in memory and one write: a run that
    // stops at any moment leaves the old waveform or the trimmed one, and undo brings the
    // old one back. (The scratch copy "AA.tmp" of the step-by-step rule is not needed.)
    const bool trimmed = document.ApplyChange("Trimming the waveform", [&] {
        const std::size_t size = document.Samples().Size();
        const std::size_t kept = std::min(static_cast<std::size_t>(*n), size);
        document.KeepPoints(size - kept, kept);
        return true;
    });
    if (trimmed) {
        document.ResetAnchors();
    }
    return trimmed;
}
