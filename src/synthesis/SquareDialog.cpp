#include "synthesis/SquareDialog.h"

#include "document/WaveDoc.h"

#include <cmath>

bool SquareDialog::Generate(const ProgressCallback& progress) {
    const double period = PointsPerCycle();
    const double highPart = Param(1) * 0.01 * period;
    const double high = LevelCode(MaxLevel());
    const double low = LevelCode(MinLevel());
    return WaveGenerator::Fill(Document().EditPoints(FirstPoint(), PointCount()), progress,
                               [&](auto& out, long long i) {
                                   const double t = std::fmod(double(i), period);
                                   WaveGenerator::StoreS2(out, t < highPart ? high : low);
                               });
}
