#pragma once

#include "document/SampleBuffer.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class ViewGeometry;

// One pixel column of the plotted waveform.
struct PlotColumn {
    int x = 0;      // the pixel column
    int y = 0;      // the polyline's vertex: the column rule's sample
    int top = 0;    // the highest pixel reached by the samples of the column
    int bottom = 0; // the lowest one
};

// One vertical run of pixels: what a column of the plotted waveform lights on screen.
struct PixelRun {
    int x = 0;
    int top = 0;
    int bottom = 0; // inclusive
};

// A summary of the waveform that answers "lowest and highest value of points i..j" in
// time logarithmic in the range, so that a plot of any zoom is sampled column by column
// without reading every point: min/max of blocks of 16 points, of 16 such blocks, and
// so on. Building it reads the waveform once; a change of a few points updates only
// the blocks above them.
class WaveformEnvelope {
public:
    static constexpr std::size_t kFan = 16;

    void Rebuild(const SampleBuffer& samples);
    // After points first..last (inclusive) changed in place.
    void Update(const SampleBuffer& samples, std::size_t first, std::size_t last);
    // True when the summary was built for an array at this address of this size. A
    // guard against reading a summary of another waveform, not a change detector: the
    // owner rebuilds or updates after every change of the samples.
    bool Matches(const SampleBuffer& samples) const;
    void Clear();

    // Lowest and highest value of points first..last (inclusive); values in Hz are
    // whole numbers as the plot reads them.
    std::pair<double, double> Range(const SampleBuffer& samples, std::size_t first,
                                    std::size_t last) const;

    // The sample position of each pixel column of the plot: PixelToX of the column
    // truncated toward zero (0.5 added first for the last column), ending at the first
    // column beyond the last sample.
    static std::vector<long long> ColumnPositions(const ViewGeometry& geometry, long long length);
    // The plotted columns: the vertex of the column rule, plus the extent of every
    // sample between this column's position and the next one's, so that a waveform of
    // many points per pixel keeps its peaks. Pixels are clamped to the plot.
    std::vector<PlotColumn> Columns(const SampleBuffer& samples,
                                    const ViewGeometry& geometry) const;
    // The columns as the screen shows them: each column's extent, widened to reach half
    // way to the neighbouring vertices, so that one vertical run per column draws the
    // extents and the polyline between the vertices (whose segments join adjacent
    // columns) at once.
    static std::vector<PixelRun> Runs(const std::vector<PlotColumn>& columns);

private:
    template <typename T> struct Levels {
        // Level k holds the minimum and maximum of blocks of kFan^(k+1) points.
        std::vector<std::vector<T>> mins;
        std::vector<std::vector<T>> maxs;

        void Build(const T* data, std::size_t n);
        void Update(const T* data, std::size_t n, std::size_t first, std::size_t last);
        void Query(const T* data, std::size_t first, std::size_t last, T& lo, T& hi) const;
        void Clear();
    };

    const void* data_ = nullptr;
    std::size_t size_ = 0;
    Levels<std::int16_t> codes16_;
    Levels<std::int32_t> codes32_;
    Levels<double> values64_;
};
