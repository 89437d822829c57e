#include "view/WaveformEnvelope.h"

#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

template <typename T> void Take(T value, T& lo, T& hi) {
    lo = std::min(lo, value);
    hi = std::max(hi, value);
}

// The minimum and maximum of each group of kFan entries of one level, into the next.
template <typename T>
void Summarise(const T* mins, const T* maxs, std::size_t count, std::size_t firstBlock,
               std::size_t lastBlock, std::vector<T>& outMins, std::vector<T>& outMaxs) {
    constexpr std::size_t fan = WaveformEnvelope::kFan;
    // Whole blocks in a loop of fixed length, which the compiler turns into vector
    // instructions: building the summary of 256 M points takes half the time. The
    // comparisons are std::min's and std::max's, so the results are the same.
    std::size_t block = firstBlock;
    const std::size_t whole = std::min(lastBlock + 1, count / fan);
    for (; block < whole; ++block) {
        const T* lows = mins + block * fan;
        const T* highs = maxs + block * fan;
        T lo = lows[0];
        T hi = highs[0];
        for (std::size_t i = 0; i < fan; ++i) {
            lo = lows[i] < lo ? lows[i] : lo;
            hi = hi < highs[i] ? highs[i] : hi;
        }
        outMins[block] = lo;
        outMaxs[block] = hi;
    }
    for (; block <= lastBlock; ++block) {
        const std::size_t begin = block * fan;
        const std::size_t end = std::min(begin + fan, count);
        T lo = mins[begin];
        T hi = maxs[begin];
        for (std::size_t i = begin + 1; i < end; ++i) {
            lo = std::min(lo, mins[i]);
            hi = std::max(hi, maxs[i]);
        }
        outMins[block] = lo;
        outMaxs[block] = hi;
    }
}

double PlottedValue(double value, SampleKind kind) {
    return kind == SampleKind::Hz64 ? std::trunc(value) : value;
}

} // namespace

template <typename T> void WaveformEnvelope::Levels<T>::Clear() {
    mins.clear();
    maxs.clear();
}

template <typename T> void WaveformEnvelope::Levels<T>::Build(const T* data, std::size_t n) {
    Clear();
    const T* lowerMins = data;
    const T* lowerMaxs = data;
    std::size_t count = n;
    while (count > kFan) {
        const std::size_t blocks = (count + kFan - 1) / kFan;
        mins.emplace_back(blocks);
        maxs.emplace_back(blocks);
        Summarise(lowerMins, lowerMaxs, count, 0, blocks - 1, mins.back(), maxs.back());
        lowerMins = mins.back().data();
        lowerMaxs = maxs.back().data();
        count = blocks;
    }
}

template <typename T>
void WaveformEnvelope::Levels<T>::Update(const T* data, std::size_t n, std::size_t first,
                                         std::size_t last) {
    const T* lowerMins = data;
    const T* lowerMaxs = data;
    std::size_t count = n;
    for (std::size_t level = 0; level < mins.size(); ++level) {
        first /= kFan;
        last /= kFan;
        Summarise(lowerMins, lowerMaxs, count, first, last, mins[level], maxs[level]);
        lowerMins = mins[level].data();
        lowerMaxs = maxs[level].data();
        count = mins[level].size();
    }
}

template <typename T>
void WaveformEnvelope::Levels<T>::Query(const T* data, std::size_t first, std::size_t last, T& lo,
                                        T& hi) const {
    lo = data[first];
    hi = data[first];
    const T* levelMins = data;
    const T* levelMaxs = data;
    std::size_t s = first;
    std::size_t e = last;
    for (std::size_t level = 0;; ++level) {
        // Few entries left, or no coarser level: read them one by one.
        if (e - s + 1 <= 2 * kFan || level >= mins.size()) {
            for (std::size_t i = s; i <= e; ++i) {
                Take(levelMins[i], lo, hi);
                Take(levelMaxs[i], lo, hi);
            }
            return;
        }
        for (; s % kFan != 0; ++s) {
            Take(levelMins[s], lo, hi);
            Take(levelMaxs[s], lo, hi);
        }
        for (; (e + 1) % kFan != 0; --e) {
            Take(levelMins[e], lo, hi);
            Take(levelMaxs[e], lo, hi);
        }
        // s..e now covers whole blocks of the next level.
        s /= kFan;
        e = (e + 1) / kFan - 1;
        levelMins = mins[level].data();
        levelMaxs = maxs[level].data();
    }
}

void WaveformEnvelope::Clear() {
    data_ = nullptr;
    size_ = 0;
    codes16_.Clear();
    codes32_.Clear();
    values64_.Clear();
}

void WaveformEnvelope::Rebuild(const SampleBuffer& samples) {
    Clear();
    data_ = samples.Bytes();
    size_ = samples.Size();
    switch (samples.Kind()) {
    case SampleKind::Code16:
        codes16_.Build(samples.Codes16(), size_);
        break;
    case SampleKind::Code32:
        codes32_.Build(samples.Codes32(), size_);
        break;
    case SampleKind::Hz64:
        values64_.Build(samples.Values64(), size_);
        break;
    }
}

void WaveformEnvelope::Update(const SampleBuffer& samples, std::size_t first, std::size_t last) {
    if (!Matches(samples)) {
        Rebuild(samples);
        return;
    }
    if (size_ == 0 || first > last) {
        return;
    }
    last = std::min(last, size_ - 1);
    switch (samples.Kind()) {
    case SampleKind::Code16:
        codes16_.Update(samples.Codes16(), size_, first, last);
        break;
    case SampleKind::Code32:
        codes32_.Update(samples.Codes32(), size_, first, last);
        break;
    case SampleKind::Hz64:
        values64_.Update(samples.Values64(), size_, first, last);
        break;
    }
}

bool WaveformEnvelope::Matches(const SampleBuffer& samples) const {
    return data_ == samples.Bytes() && size_ == samples.Size();
}

std::pair<double, double> WaveformEnvelope::Range(const SampleBuffer& samples, std::size_t first,
                                                  std::size_t last) const {
    switch (samples.Kind()) {
    case SampleKind::Code16: {
        std::int16_t lo = 0;
        std::int16_t hi = 0;
        codes16_.Query(samples.Codes16(), first, last, lo, hi);
        return {lo, hi};
    }
    case SampleKind::Code32: {
        std::int32_t lo = 0;
        std::int32_t hi = 0;
        codes32_.Query(samples.Codes32(), first, last, lo, hi);
        return {lo, hi};
    }
    case SampleKind::Hz64:
        break;
    }
    double lo = 0.0;
    double hi = 0.0;
    values64_.Query(samples.Values64(), first, last, lo, hi);
    return {std::trunc(lo), std::trunc(hi)};
}

std::vector<long long> WaveformEnvelope::ColumnPositions(const ViewGeometry& geometry,
                                                         long long length) {
    std::vector<long long> positions;
    const int left = geometry.Plot().left;
    const int width = geometry.Plot().Width();
    positions.reserve(static_cast<std::size_t>(std::max(width, 0)));
    for (int i = 0; i < width; ++i) {
        double x = geometry.PixelToX(left + i);
        if (i == width - 1) {
            x += 0.5;
        }
        const double position = std::trunc(x);
        if (!(position <= static_cast<double>(length - 1))) {
            break;
        }
        positions.push_back(static_cast<long long>(position));
    }
    return positions;
}

std::vector<PlotColumn> WaveformEnvelope::Columns(const SampleBuffer& samples,
                                                  const ViewGeometry& geometry) const {
    std::vector<PlotColumn> columns;
    const long long length = static_cast<long long>(samples.Size());
    if (length == 0) {
        return columns;
    }
    const std::vector<long long> positions = ColumnPositions(geometry, length);
    const PixelRect& plot = geometry.Plot();
    const long long lastVisible =
        std::clamp(static_cast<long long>(std::trunc(geometry.Xmax())), 0LL, length - 1);
    const bool summarised = Matches(samples);
    auto pixelOf = [&](double value) {
        return std::clamp(geometry.CodeToPixel(value), plot.top, plot.bottom);
    };
    columns.reserve(positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const long long first = positions[i];
        if (first < 0) {
            continue;
        }
        long long last = i + 1 < positions.size() ? positions[i + 1] - 1 : lastVisible;
        last = std::max(last, first);
        PlotColumn column;
        column.x = plot.left + static_cast<int>(i);
        column.y =
            pixelOf(PlottedValue(samples.At(static_cast<std::size_t>(first)), samples.Kind()));
        if (last == first || !summarised) {
            column.top = column.y;
            column.bottom = column.y;
        } else {
            const auto [lo, hi] =
                Range(samples, static_cast<std::size_t>(first), static_cast<std::size_t>(last));
            column.top = std::min(pixelOf(hi), pixelOf(lo));
            column.bottom = std::max(pixelOf(hi), pixelOf(lo));
        }
        columns.push_back(column);
    }
    return columns;
}

std::vector<PixelRun> WaveformEnvelope::Runs(const std::vector<PlotColumn>& columns) {
    std::vector<PixelRun> runs(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const PlotColumn& column = columns[i];
        int top = std::min(column.top, column.y);
        int bottom = std::max(column.bottom, column.y);
        for (std::size_t neighbour : {i - 1, i + 1}) {
            // Only a vertex in the adjacent pixel column is joined by a segment here.
            if (neighbour >= columns.size() || std::abs(columns[neighbour].x - column.x) != 1) {
                continue;
            }
            const int half = (column.y + columns[neighbour].y) / 2;
            top = std::min(top, half);
            bottom = std::max(bottom, half);
        }
        runs[i] = {column.x, top, bottom};
    }
    return runs;
}
