#include "synthesis/SineDialog.h"

#include "document/WaveDoc.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
} // namespace

bool SineDialog::Generate(const ProgressCallback& progress) {
    const long long count = PointCount();
    const double n = static_cast<double>(count);
    const double cycles = Param(0);
    const double phase = Param(1) * kPi / 180;
    const int power = std::max(1, WaveGenerator::Int32(Param(2)));
    const double a = HalfAmplitude();
    const double c = Centre();
    if (power == 1) {
        return WaveGenerator::Fill(Document().EditPoints(FirstPoint(), count), progress,
                                   [&](auto& out, long long i) {
                                       const double s = std::sin(i * kTwoPi * cycles / n + phase);
                                       WaveGenerator::StoreS1(out, s * a + c);
                                   });
    }
    const double exponent = power;
    return WaveGenerator::Fill(Document().EditPoints(FirstPoint(), count), progress,
                               [&](auto& out, long long i) {
                                   const double s = std::sin(i * kTwoPi * cycles / n + phase);
                                   WaveGenerator::StoreS1(out, std::pow(s, exponent) * a + c);
                               });
}
