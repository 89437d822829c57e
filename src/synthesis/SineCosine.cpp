#include "synthesis/SineCosine.h"

#include "synthesis/SineTable.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The table holds sin(n*pi/128) for a whole turn; cos(a) is sin(a + pi/2), a quarter on.
constexpr unsigned kSineQuarter = 0;
constexpr unsigned kCosineQuarter = 64;
constexpr double kLargestArgument = 0x1p18; // n = x*128/pi stays below 2^24
constexpr double kSmallestValue = 0x1p-30;  // nearer zero, the reduction's error counts
constexpr double kSureDistance = 0.44;      // units in the last place, see the header
constexpr int kPiece = 256;

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// sin(x + quarter*pi/128) as the nearest double, or NaN where that double is not certain.
// Written without branches, so that the compiler turns a loop of it into vector code.
//
// x = n*pi/128 + s with |s| <= pi/256, s as the unevaluated sum sHigh + sLow; then
// sin(x) = S*cos(s) + C*sin(s) with S, C the table's sine and cosine of n*pi/128, each as
// a high and a low double, and the small terms of the two series in plain doubles.
__attribute__((always_inline)) inline double SureSine(double x, unsigned quarter) {
    const double shifter = 0x1.8p52; // adding it rounds to a whole number
    const double shifted = std::fma(x, kSineStepsPerUnit, shifter);
    const double n = shifted - shifter;
    const auto sineIndex = static_cast<std::int64_t>((Bits(shifted) + quarter) & 255);
    const auto cosineIndex = static_cast<std::int64_t>((Bits(shifted) + quarter + 64) & 255);

    // x - n*high is exact, and n*middle too; what remains is summed without loss.
    const double r = std::fma(-n, kSineStepHigh, x);
    const double p = n * kSineStepMiddle;
    const double h = r - p;
    const double back = h - r;
    const double l = ((r - (h - back)) + (-p - back)) - n * kSineStepLow;
    const double sHigh = h + l;
    const double sLow = l - (sHigh - h);

    const double s2 = sHigh * sHigh;
    const double sineTail =
        sHigh * s2 * (-1.0 / 6 + s2 * (1.0 / 120 + s2 * (-1.0 / 5040 + s2 * (1.0 / 362880))));
    const double cosineTail =
        s2 * (-0.5 + s2 * (1.0 / 24 + s2 * (-1.0 / 720 + s2 * (1.0 / 40320))));

    const double sinHigh = kSineHigh[sineIndex];
    const double sinLow = kSineLow[sineIndex];
    const double cosHigh = kSineHigh[cosineIndex];
    const double cosLow = kSineLow[cosineIndex];
    const double product = cosHigh * sHigh;
    const double productLow =
        std::fma(cosHigh, sHigh, -product) + (cosHigh * sLow + cosLow * sHigh);
    const double sum = sinHigh + product;
    const double sumBack = sum - sinHigh;
    const double sumLow = (sinHigh - (sum - sumBack)) + (product - sumBack);
    const double low =
        sumLow + ((sinLow + productLow) + (sinHigh * cosineTail + cosHigh * sineTail));
    const double value = sum + low;
    const double rest = low - (value - sum);

    // The spacing of doubles at the value; at a power of two the one below is half of
    // it, so such values are never taken as certain.
    const std::uint64_t magnitude = Bits(value) & 0x7fffffffffffffffULL;
    const double spacing = FromBits((magnitude & 0x7ff0000000000000ULL) - (52ULL << 52));
    const bool sure = (std::fabs(x) < kLargestArgument) & (std::fabs(value) >= kSmallestValue) &
                      (std::fabs(rest) < kSureDistance * spacing) &
                      ((magnitude & 0x000fffffffffffffULL) != 0);
    return sure ? value : std::numeric_limits<double>::quiet_NaN();
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define WAVESMITH_VECTOR_SINE 1

__attribute__((target("avx512f,avx512dq,avx512vl,avx2,fma"))) void
SureSinesWide(const double* x, double* values, int count, unsigned quarter) {
    for (int i = 0; i < count; ++i) {
        values[i] = SureSine(x[i], quarter);
    }
}

__attribute__((target("avx2,fma"))) void SureSinesAvx2(const double* x, double* values, int count,
                                                       unsigned quarter) {
    for (int i = 0; i < count; ++i) {
        values[i] = SureSine(x[i], quarter);
    }
}

using SureSines = void (*)(const double*, double*, int, unsigned);

// Without fused multiply-add in hardware, std::fma is a slow library call; the C library's
// functions alone are faster there.
SureSines ChooseSureSines() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("fma")) {
        return SureSinesWide;
    }
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        return SureSinesAvx2;
    }
    return nullptr;
}

SureSines Chosen() {
    static const SureSines chosen = ChooseSureSines();
    return chosen;
}
#endif

template <class LibraryFunction>
void Compute(const double* x, double* values, int count, unsigned quarter,
             LibraryFunction library) {
#ifdef WAVESMITH_VECTOR_SINE
    const SureSines sureSines = Chosen();
    if (sureSines != nullptr) {
        // Where the values overwrite their arguments, each piece of values is made apart
        // first, so that the uncertain ones still find their argument.
        const auto begin = [](const double* p) { return reinterpret_cast<std::uintptr_t>(p); };
        const bool shared = begin(values) < begin(x + count) && begin(x) < begin(values + count);
        double apart[kPiece];
        int uncertain[kPiece];
        for (int first = 0; first < count; first += kPiece) {
            const int length = std::min(kPiece, count - first);
            double* piece = shared ? apart : values + first;
            sureSines(x + first, piece, length, quarter);
            // Gathered without branches: which values are uncertain is hard to predict.
            int found = 0;
            for (int i = 0; i < length; ++i) {
                uncertain[found] = i;
                found += std::isnan(piece[i]) ? 1 : 0;
            }
            for (int k = 0; k < found; ++k) {
                piece[uncertain[k]] = library(x[first + uncertain[k]]);
            }
            if (shared) {
                std::memcpy(values + first, apart,
                            sizeof(double) * static_cast<std::size_t>(length));
            }
        }
        return;
    }
#endif
    (void)quarter;
    for (int i = 0; i < count; ++i) {
        values[i] = library(x[i]);
    }
}

} // namespace

void SineCosine::Sines(const double* arguments, double* values, int count) {
    Compute(arguments, values, count, kSineQuarter, [](double x) { return std::sin(x); });
}

void SineCosine::Cosines(const double* arguments, double* values, int count) {
    Compute(arguments, values, count, kCosineQuarter, [](double x) { return std::cos(x); });
}

int SineCosine::Certain(const double* arguments, int count) {
    std::vector<double> values(static_cast<std::size_t>(std::max(count, 0)));
    int asked = 0;
    Compute(arguments, values.data(), count, kSineQuarter, [&asked](double x) {
        ++asked;
        return std::sin(x);
    });
    return count - asked;
}
