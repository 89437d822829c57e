#include "panel/SampleEnvelope.h"

#include <gtest/gtest.h>

TEST(SampleEnvelopeDrawing, EveryColumnKeepsItsExtremes) {
    std::vector<std::int16_t> samples(1000, 0);
    samples[499] = 8191;
    samples[500] = -8192;
    const auto envelope = SampleEnvelope::Build(samples, 10);
    ASSERT_EQ(envelope.columns.size(), 10u);
    EXPECT_EQ(envelope.columns[4].high, 8191);
    EXPECT_EQ(envelope.columns[5].low, -8192);
    EXPECT_EQ(envelope.columns[0].low, 0);
    EXPECT_EQ(envelope.lowest, -8192);
    EXPECT_EQ(SampleEnvelope::Build(samples, 5000).columns.size(), 1000u);
    EXPECT_TRUE(SampleEnvelope::Build({}, 10).columns.empty());
}

TEST(SampleEnvelopeDrawing, InstrumentBytesDecodeAsLittleEndianSigned) {
    const auto samples =
        SampleEnvelope::DecodeSamples(std::string("\x01\x80\xff\xff\x0a\x00\x07", 7));
    EXPECT_EQ(samples, (std::vector<std::int16_t>{-32767, -1, 10}));
}
