#include "synthesis/ExponentDialog.h"

#include "document/WaveDoc.h"

#include <cmath>

// A positive time constant rises from -A and is cut at +A; a negative one decays from +A.
bool ExponentDialog::Generate(const ProgressCallback& progress) {
    const double period = PointsPerCycle();
    const double tau = Param(1);
    const double start = tau > 0 ? 1.0 : 0.0;
    const bool invert = Param(2) != 0;
    const double a = HalfAmplitude();
    const double c = Centre();
    return WaveGenerator::Fill(Document().EditPoints(FirstPoint(), PointCount()), progress,
                               [&](auto& out, long long i) {
                                   const double x = std::fmod(double(i), period) / tau;
                                   double y = (2 * (std::exp(x) - start) - 1) * a;
                                   if (y < -a) {
                                       y = -a;
                                   } else if (y > a) {
                                       y = a;
                                   }
                                   if (invert) {
                                       y = -y;
                                   }
                                   WaveGenerator::StoreS2(out, y + c);
                               });
}
