#include "synthesis/SincDialog.h"

#include "document/WaveDoc.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
} // namespace

// The sinc is taken at whole point distances m from the middle of the cycle and truncated
// to a whole code before the centre is added.
bool SincDialog::Generate(const ProgressCallback& progress) {
    const double period = PointsPerCycle();
    const double half = period / 2;
    const double w = Param(1) * kPi / period;
    const double a = HalfAmplitude();
    const double c = Centre();
    const std::int32_t peak = WaveGenerator::Int32(a);
    return WaveGenerator::Fill(Document().EditPoints(FirstPoint(), PointCount()), progress,
                               [&](auto& out, long long i) {
                                   const double t = std::fmod(double(i), period);
                                   const std::int32_t m = WaveGenerator::Int32(t - half);
                                   std::int32_t y = peak;
                                   if (m != 0) {
                                       const double x = m * w;
                                       y = WaveGenerator::Int32(a * std::sin(x) / x);
                                   }
                                   WaveGenerator::StoreS3(out, y, c);
                               });
}
