#include "synthesis/GaussianDialog.h"

#include "document/WaveDoc.h"

#include <cmath>

bool GaussianDialog::Generate(const ProgressCallback& progress) {
    const double period = PointsPerCycle();
    const double middle = period / 2;
    const double width = Param(1);
    const double a = HalfAmplitude();
    const double c = Centre();
    return WaveGenerator::Fill(
        Document().EditPoints(FirstPoint(), PointCount()), progress, [&](auto& out, long long i) {
            const double x = (std::fmod(double(i), period) - middle) / width;
            WaveGenerator::StoreS2(out, (2 * std::exp(-(x * x)) - 1) * a + c);
        });
}
