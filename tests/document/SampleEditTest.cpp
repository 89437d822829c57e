#include "document/SampleEdit.h"
#include "support/SampleValues.h"

#include <gtest/gtest.h>

// An edit writes only inside the waveform: its range is cut at the end and empty when it
// starts outside; its point 0 is the range's first point.
TEST(SampleEdit, RangeIsCheckedAgainstTheWaveform) {
    struct Case {
        long long first;
        long long count;
        std::size_t size;
    };
    const Case cases[] = {
        {0, 10, 10}, {3, 4, 4}, {3, 100, 7}, {9, 1, 1}, {10, 1, 0}, {-1, 5, 0}, {2, 0, 0},
    };
    for (const Case& c : cases) {
        SampleBuffer samples = Filled(SampleKind::Code16, 10, 0);
        const SampleEdit edit(samples, c.first, c.count);
        EXPECT_EQ(edit.Size(), c.size) << c.first << "," << c.count;
        for (std::size_t i = 0; i < edit.Size(); ++i) {
            edit.Codes16()[i] = 1;
        }
        for (std::size_t i = 0; i < samples.Size(); ++i) {
            const bool inside = c.size > 0 && i >= static_cast<std::size_t>(c.first) &&
                                i < static_cast<std::size_t>(c.first) + c.size;
            EXPECT_EQ(samples.At(i), inside ? 1 : 0) << c.first << "," << c.count << " at " << i;
        }
    }
}

TEST(SampleEdit, StoreAndAtCountFromTheFirstPointOfTheRange) {
    SampleBuffer samples = Filled(SampleKind::Code32, 8, 0);
    const SampleEdit edit(samples, 5, 3);
    edit.Store(1, 42.9);
    EXPECT_EQ(samples.At(6), 42);
    EXPECT_EQ(edit.At(1), 42);
    EXPECT_EQ(edit.Codes16(), nullptr);
}
