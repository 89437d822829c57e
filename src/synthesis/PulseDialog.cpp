#include "synthesis/PulseDialog.h"

#include "document/WaveDoc.h"

#include <cmath>

namespace {

// Delay, rise, high and fall as widths of one cycle; a point belongs to the first
// segment that holds it, bounds included, and lies at Lo after the fall.
class PulseShape {
public:
    PulseShape(double period, const double percent[4], double low, double high)
        : low_(low), high_(high) {
        x_[0] = 0;
        for (int j = 0; j < 4; ++j) {
            width_[j] = period * percent[j] / 100;
            x_[j + 1] = x_[j] + width_[j];
        }
    }

    double At(double t) const {
        if (x_[0] <= t && t <= x_[1]) {
            return low_;
        }
        if (x_[1] <= t && t <= x_[2]) {
            return IsEmpty(width_[1]) ? high_ : low_ + (high_ - low_) * (t - x_[1]) / width_[1];
        }
        if (x_[2] <= t && t <= x_[3]) {
            return high_;
        }
        if (x_[3] <= t && t <= x_[4]) {
            return IsEmpty(width_[3]) ? low_ : high_ + (low_ - high_) * (t - x_[3]) / width_[3];
        }
        return low_;
    }

private:
    static bool IsEmpty(double width) { return std::fabs(width) < 1e-5; }

    double low_;
    double high_;
    double x_[5];
    double width_[4];
};

} // namespace

bool PulseDialog::Generate(const ProgressCallback& progress) {
    const double period = PointsPerCycle();
    const double percent[4] = {Param(1), Param(2), Param(3), Param(4)};
    const PulseShape shape(period, percent, LevelCode(MinLevel()), LevelCode(MaxLevel()));
    return WaveGenerator::Fill(
        Document().EditPoints(FirstPoint(), PointCount()), progress, [&](auto& out, long long i) {
            WaveGenerator::StoreS4(out, shape.At(std::fmod(double(i), period)));
        });
}
