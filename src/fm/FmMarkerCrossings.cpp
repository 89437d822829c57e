#include "fm/FmMarkerCrossings.h"

#include <algorithm>
#include <limits>
#include <type_traits>

namespace {

// Band bounds are kept one size wider than the samples so that "no level above" stays
// above every sample.
template <typename T> using Wide = std::conditional_t<std::is_integral_v<T>, std::int64_t, double>;

template <typename T> class Bands {
public:
    explicit Bands(const std::vector<T>& levels) : sorted_(levels) {
        std::sort(sorted_.begin(), sorted_.end());
        sorted_.erase(std::unique(sorted_.begin(), sorted_.end()), sorted_.end());
    }

    // The open band around v; a sample on a level gets an empty band, so that its next
    // move is always looked at.
    void Enclose(Wide<T> v, Wide<T>& low, Wide<T>& high) const {
        const auto above =
            std::lower_bound(sorted_.begin(), sorted_.end(), v,
                             [](T level, Wide<T> value) { return Wide<T>(level) < value; });
        if (above != sorted_.end() && Wide<T>(*above) == v) {
            low = v;
            high = v;
            return;
        }
        high = above == sorted_.end() ? std::numeric_limits<Wide<T>>::max() : Wide<T>(*above);
        low = above == sorted_.begin() ? std::numeric_limits<Wide<T>>::lowest()
                                       : Wide<T>(*(above - 1));
    }

private:
    std::vector<T> sorted_;
};

template <typename T> Wide<T> Distance(Wide<T> a, Wide<T> b) {
    return a > b ? a - b : b - a;
}

template <typename T>
std::vector<std::int32_t> FindCrossings(const T* samples, std::size_t count,
                                        const std::vector<T>& levels) {
    std::vector<std::int32_t> positions;
    if (count < 2 || levels.empty()) {
        return positions;
    }
    const Bands<T> bands(levels);
    Wide<T> low = 0;
    Wide<T> high = 0;
    bands.Enclose(samples[0], low, high);
    for (std::size_t p = 1; p < count; ++p) {
        const Wide<T> s1 = samples[p];
        if (s1 > low && s1 < high) {
            continue;
        }
        const Wide<T> s0 = samples[p - 1];
        if (s1 != s0) {
            for (const T level : levels) {
                const Wide<T> c = level;
                const bool between = (s0 <= c && c <= s1) || (s1 <= c && c <= s0);
                if (between && s1 != c) {
                    const std::size_t nearer = Distance<T>(s1, c) > Distance<T>(s0, c) ? p - 1 : p;
                    positions.push_back(static_cast<std::int32_t>(nearer));
                    break;
                }
            }
        }
        bands.Enclose(s1, low, high);
    }
    return positions;
}

} // namespace

std::vector<std::int32_t> FmMarkerCrossings::Find(const std::int32_t* samples, std::size_t count,
                                                  const std::vector<std::int32_t>& levels) {
    return FindCrossings(samples, count, levels);
}

std::vector<std::int32_t> FmMarkerCrossings::Find(const double* samples, std::size_t count,
                                                  const std::vector<double>& levels) {
    return FindCrossings(samples, count, levels);
}
