#include "support/MappedGeometry.h"
#include "support/SampleValues.h"
#include "view/ViewGeometry.h"
#include "view/WaveformEnvelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

ViewGeometry Plot(double xmin, double xmax, PixelRect rect = {0, 0, 100, 200}) {
    return MappedGeometry(rect, xmin, xmax, -8192, 8191);
}

SampleBuffer Random(SampleKind kind, std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> code(-8000, 8000);
    SampleBuffer samples = Filled(kind, n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const double value = kind == SampleKind::Hz64 ? code(random) * 1000.25 : code(random);
        samples.Store(i, value);
    }
    return samples;
}

// The columns drawn from an envelope built over the samples.
std::vector<PlotColumn> ColumnsOf(const SampleBuffer& samples, const ViewGeometry& geometry) {
    WaveformEnvelope envelope;
    envelope.Rebuild(samples);
    return envelope.Columns(samples, geometry);
}

std::pair<double, double> BruteRange(const SampleBuffer& samples, std::size_t first,
                                     std::size_t last) {
    double lo = samples.At(first);
    double hi = lo;
    for (std::size_t i = first; i <= last; ++i) {
        lo = std::min(lo, samples.At(i));
        hi = std::max(hi, samples.At(i));
    }
    if (samples.Kind() == SampleKind::Hz64) {
        return {std::trunc(lo), std::trunc(hi)};
    }
    return {lo, hi};
}

} // namespace

// One column per pixel reads the truncated position, and half a point more at the end; a
// visible range wider than the waveform ends at the last sample.
TEST(ColumnRule, ColumnsReadTheTruncatedPositionAndEndAtTheLastSample) {
    const auto positions = WaveformEnvelope::ColumnPositions(Plot(0, 50), 51);
    ASSERT_EQ(positions.size(), 100u);
    EXPECT_EQ(positions[0], 0);
    EXPECT_EQ(positions[1], 0); // 0.5
    EXPECT_EQ(positions[3], 1); // 1.5
    EXPECT_EQ(positions[98], 49);
    EXPECT_EQ(positions[99], 50); // 49.5 + 0.5
    const auto wide = WaveformEnvelope::ColumnPositions(Plot(0, 199), 100);
    ASSERT_FALSE(wide.empty());
    EXPECT_EQ(wide.back(), 99);
    EXPECT_LT(wide.size(), 52u);
    EXPECT_GT(wide.size(), 48u);
}

TEST(WaveformEnvelopeRange, AgreesWithAFullScanForEverySampleKind) {
    for (SampleKind kind : {SampleKind::Code16, SampleKind::Code32, SampleKind::Hz64}) {
        const SampleBuffer samples = Random(kind, 70001, 7);
        WaveformEnvelope envelope;
        envelope.Rebuild(samples);
        std::mt19937 random(11);
        std::uniform_int_distribution<std::size_t> index(0, samples.Size() - 1);
        for (int trial = 0; trial < 300; ++trial) {
            std::size_t first = index(random);
            std::size_t last =
                trial % 3 == 0 ? std::min(first + trial, samples.Size() - 1) : index(random);
            if (last < first) {
                std::swap(first, last);
            }
            EXPECT_EQ(envelope.Range(samples, first, last), BruteRange(samples, first, last))
                << "kind " << static_cast<int>(kind) << " range " << first << ".." << last;
        }
    }
}

TEST(WaveformEnvelopeRange, UpdateAfterAnInPlaceChangeSeesTheNewValues) {
    SampleBuffer samples = Random(SampleKind::Code16, 100000, 3);
    WaveformEnvelope envelope;
    envelope.Rebuild(samples);
    samples.Store(54321, 8191);
    samples.Store(54322, -8192);
    envelope.Update(samples, 54321, 54322);
    EXPECT_EQ(envelope.Range(samples, 0, 99999), (std::pair<double, double>{-8192, 8191}));
    EXPECT_EQ(envelope.Range(samples, 50000, 60000), BruteRange(samples, 50000, 60000));
    samples.Store(54321, 0);
    samples.Store(54322, 0);
    envelope.Update(samples, 54321, 54322);
    EXPECT_EQ(envelope.Range(samples, 0, 99999), BruteRange(samples, 0, 99999));
}

TEST(WaveformEnvelopeRange, ASummaryOfAnotherLengthIsNotUsedForTheColumns) {
    SampleBuffer samples = Random(SampleKind::Code16, 1000, 3);
    WaveformEnvelope envelope;
    envelope.Rebuild(samples);
    EXPECT_TRUE(envelope.Matches(samples));
    samples.Assign(5000, 5.0);
    samples.Store(10, 4000);
    EXPECT_FALSE(envelope.Matches(samples));
    // Without a usable summary each column shows its own vertex only.
    const auto columns = envelope.Columns(samples, Plot(0, 4999));
    ASSERT_EQ(columns.size(), 100u);
    EXPECT_EQ(columns[0].top, columns[0].y);
}

TEST(PlotColumns, ASingleSpikeAmongMillionsOfPointsStillReachesItsPixel) {
    SampleBuffer samples = Filled(SampleKind::Code16, 2000000, 0.0);
    samples.Store(1234567, 4096);
    const ViewGeometry geometry = Plot(0, 1999999);
    const auto columns = ColumnsOf(samples, geometry);
    ASSERT_EQ(columns.size(), 100u);
    const int zero = geometry.CodeToPixel(0);
    const int spike = geometry.CodeToPixel(4096);
    int columnsWithSpike = 0;
    for (const PlotColumn& column : columns) {
        EXPECT_EQ(column.y, zero);
        EXPECT_EQ(column.bottom, zero);
        columnsWithSpike += column.top == spike ? 1 : 0;
    }
    EXPECT_EQ(columnsWithSpike, 1);
    EXPECT_EQ(columns[61].top, spike); // 1234567 / 20000 points per column
    EXPECT_TRUE(ColumnsOf(SampleBuffer(SampleKind::Code16), geometry).empty());
}

TEST(PlotColumns, VerticesAreClampedToThePlotTopAndBottom) {
    SampleBuffer samples = Filled(SampleKind::Code16, 100, 0.0);
    samples.Store(0, 32767);
    samples.Store(99, -32768);
    const auto columns = ColumnsOf(samples, Plot(0, 99, {10, 20, 110, 220}));
    ASSERT_FALSE(columns.empty());
    EXPECT_EQ(columns.front().x, 10);
    EXPECT_EQ(columns.front().y, 20);
    EXPECT_EQ(columns.back().bottom, 220);
}

TEST(PlotColumns, WideFmValuesArePlottedAsWholeNumbers) {
    const ViewGeometry geometry = MappedGeometry({0, 0, 10, 100}, 0, 9, 0, 10, CodeEncoding::FmHz);
    const auto columns = ColumnsOf(Filled(SampleKind::Hz64, 10, 1.9), geometry);
    ASSERT_FALSE(columns.empty());
    EXPECT_EQ(columns[0].y, 90); // 1, not 1.9
}

TEST(PlotRuns, EachColumnReachesHalfWayToItsNeighboursVertices) {
    const std::vector<PlotColumn> columns = {
        {10, 100, 100, 100}, {11, 140, 130, 150}, {12, 60, 60, 60}, {14, 0, 0, 0}};
    const std::vector<PixelRun> runs = WaveformEnvelope::Runs(columns);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].top, 100);
    EXPECT_EQ(runs[0].bottom, 120); // half way down to 140
    EXPECT_EQ(runs[1].top, 100);    // half way up to 60
    EXPECT_EQ(runs[1].bottom, 150); // its own extent
    EXPECT_EQ(runs[2].top, 60);
    EXPECT_EQ(runs[2].bottom, 100);
    // Column 14 is not adjacent to 12: no segment is drawn between them.
    EXPECT_EQ(runs[3].top, 0);
    EXPECT_EQ(runs[3].bottom, 0);
}
