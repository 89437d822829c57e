#include "synthesis/TriangleDialog.h"

#include "document/WaveDoc.h"

#include <algorithm>
#include <cmath>

namespace {

// The unit shape through (0, 0), (x1, 1), (P - x1, -1), (P, 0). A point belongs to the
// first segment that holds it, bounds included; a segment of zero width is flat.
class TriangleShape {
public:
    TriangleShape(double period, double share) {
        const double x1 = period * share / 200;
        x_[0] = 0;
        x_[1] = x1;
        x_[2] = period - x1;
        x_[3] = period;
        for (int j = 0; j < 3; ++j) {
            const double width = x_[j + 1] - x_[j];
            slope_[j] = width == 0 ? 0.0 : (y_[j + 1] - y_[j]) / width;
        }
    }

    double At(double t) const {
        for (int j = 0; j < 3; ++j) {
            if (x_[j] <= t && t <= x_[j + 1]) {
                return y_[j] + slope_[j] * (t - x_[j]);
            }
        }
        return 0.0;
    }

private:
    double x_[4];
    double y_[4] = {0, 1, -1, 0};
    double slope_[3];
};

} // namespace

bool TriangleDialog::Generate(const ProgressCallback& progress) {
    const double period = PointsPerCycle();
    const TriangleShape shape(period, Param(1));
    const double exponent = std::max(1, WaveGenerator::Int32(Param(2)));
    const double a = HalfAmplitude();
    const double c = Centre();
    return WaveGenerator::Fill(Document().EditPoints(FirstPoint(), PointCount()), progress,
                               [&](auto& out, long long i) {
                                   const double y = shape.At(std::fmod(double(i), period));
                                   const double shaped = exponent == 1 ? y : std::pow(y, exponent);
                                   WaveGenerator::StoreS2(out, shaped * a + c);
                               });
}
