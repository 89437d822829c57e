#include "synthesis/SineCosine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

std::vector<double> Arguments() {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> x = {0.0,     -0.0,    5e-324, 1e-300,
                             0x1p-30, 0x1p-29, 0x1p18, std::nextafter(0x1p18, 0.0),
                             1e300,   inf,     -inf,   std::numeric_limits<double>::quiet_NaN()};
    // Table points, quarter turns and their neighbours, where the reduction is closest.
    for (int k = -2048; k <= 2048; ++k) {
        const double at = k * M_PI / 128;
        x.insert(x.end(), {at, std::nextafter(at, -inf), std::nextafter(at, inf), at + M_PI / 256,
                           at - M_PI / 256});
    }
    std::mt19937_64 random(20261208);
    for (double range : {1.0, 100.0, 3e5}) {
        std::uniform_real_distribution<double> draw(-range, range);
        for (int i = 0; i < 400000; ++i) {
            x.push_back(draw(random));
        }
    }
    // The arguments of a 16 M-point formula's sine, every 16th.
    for (long long p = 0; p < 16000000; p += 16) {
        x.push_back(1.5 * 3.92699e-07 * static_cast<double>(p + 500));
    }
    return x;
}

// The arguments whose value is not the C library's to the bit (any NaN for a NaN).
std::vector<double> Differing(const std::vector<double>& x, const std::vector<double>& values,
                              double (*library)(double)) {
    std::vector<double> differing;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double expected = library(x[i]);
        if (std::memcmp(&expected, &values[i], sizeof expected) != 0 &&
            !(std::isnan(expected) && std::isnan(values[i]))) {
            differing.push_back(x[i]);
        }
    }
    return differing;
}

TEST(SineCosine, EveryValueIsTheCLibrarysToTheBitAlsoInPlace) {
    const std::vector<double> x = Arguments();
    const int n = static_cast<int>(x.size());
    std::vector<double> values(x.size());
    SineCosine::Sines(x.data(), values.data(), n);
    const std::vector<double> none;
    EXPECT_EQ(Differing(x, values, [](double v) { return std::sin(v); }), none);
    SineCosine::Cosines(x.data(), values.data(), n);
    EXPECT_EQ(Differing(x, values, [](double v) { return std::cos(v); }), none);
    values = x;
    SineCosine::Sines(values.data(), values.data(), n);
    EXPECT_EQ(Differing(x, values, [](double v) { return std::sin(v); }), none);
}

#if defined(__x86_64__)
TEST(SineCosine, MostValuesAreSettledWithoutTheLibraryWhereVectorsAllowIt) {
    const std::vector<double> x = Arguments();
    const int certain = SineCosine::Certain(x.data(), static_cast<int>(x.size()));
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) {
        EXPECT_EQ(certain, 0);
        return;
    }
    EXPECT_GT(certain, static_cast<int>(x.size()) * 8 / 10);
}

#endif

} // namespace
