#include "ConsoluxOptions.h"
#include "InstrumentAddress.h"
#include "SampleEnvelope.h"
#include "SegmentCatalog.h"

#include <gtest/gtest.h>

namespace {

std::optional<ConsoluxOptions> Parse(std::vector<std::string> arguments) {
    std::string error;
    return ConsoluxOptions::Parse(arguments, error);
}

} // namespace

TEST(ConsoluxOptionsParsing, EachCommandTakesItsOwnArgumentsAndOptions) {
    const auto prepare = Parse({"prepare", "ws", "--family", "G4270", "--user", "alice"});
    ASSERT_TRUE(prepare);
    EXPECT_EQ(prepare->command, ConsoluxOptions::Command::Prepare);
    EXPECT_EQ(prepare->folder, "ws");
    EXPECT_EQ(prepare->family, "G4270");
    EXPECT_EQ(prepare->user, "alice");

    const auto serve = Parse({"serve", "ws", "--instrument", "lab-awg:5026", "--mode", "fm"});
    ASSERT_TRUE(serve);
    EXPECT_EQ(serve->instrument->host, "lab-awg");
    EXPECT_EQ(serve->instrument->port, 5026);
    EXPECT_EQ(serve->mode, "fm");

    const auto demo = Parse({});
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->command, ConsoluxOptions::Command::Demo);
    EXPECT_EQ(demo->family, "QW2182");
}

TEST(ConsoluxOptionsParsing, MisfitCommandLinesAreRefused) {
    EXPECT_FALSE(Parse({"prepare"}));
    EXPECT_FALSE(Parse({"prepare", "a", "b"}));
    EXPECT_FALSE(Parse({"serve", "ws", "--family", "QW2182"}));
    EXPECT_FALSE(Parse({"demo", "--mode", "fast"}));
    EXPECT_FALSE(Parse({"demo", "--mode"}));
    EXPECT_FALSE(Parse({"request", "seven"}));
    EXPECT_FALSE(Parse({"request", "6", "1,2,3"}));
    EXPECT_FALSE(Parse({"serve", "ws", "--instrument", "host:99999"}));
    EXPECT_FALSE(Parse({"launch"}));
}

TEST(ConsoluxOptionsParsing, PlacementDataPacksSignedCoordinatesLikeAWindowMessage) {
    const auto request = Parse({"request", "6", "-1,300"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->requestCode, 6u);
    EXPECT_EQ(request->requestData, (300 << 16) | 0xFFFF);
    EXPECT_EQ(ConsoluxOptions::ParseRequestData("-5"), -5);
    EXPECT_FALSE(ConsoluxOptions::ParseRequestData("40000,0"));
}

TEST(InstrumentAddressParsing, HostPortAndBracketedV6Addresses) {
    EXPECT_EQ(InstrumentAddress::Parse("awg")->port, 5025);
    EXPECT_EQ(InstrumentAddress::Parse("10.0.0.7:6000")->ToString(), "10.0.0.7:6000");
    EXPECT_EQ(InstrumentAddress::Parse("[::1]:6000")->host, "::1");
    EXPECT_EQ(InstrumentAddress::Parse("::1")->ToString(), "[::1]:5025");
    EXPECT_FALSE(InstrumentAddress::Parse(""));
    EXPECT_FALSE(InstrumentAddress::Parse("awg:"));
    EXPECT_FALSE(InstrumentAddress::Parse("awg:0"));
    EXPECT_FALSE(InstrumentAddress::Parse("[::1"));
}

TEST(SegmentCatalogParsing, PairsOfSegmentAndLength) {
    const auto catalog = SegmentCatalog::Parse("1,4096,3,16000000");
    ASSERT_TRUE(catalog);
    ASSERT_EQ(catalog->entries.size(), 2u);
    EXPECT_EQ(catalog->entries[1].segment, 3);
    EXPECT_EQ(catalog->entries[1].points, 16000000);
    EXPECT_TRUE(SegmentCatalog::Parse("")->entries.empty());
    EXPECT_TRUE(SegmentCatalog::Parse("\"\"")->entries.empty());
    EXPECT_FALSE(SegmentCatalog::Parse("1,4096,3"));
    EXPECT_FALSE(SegmentCatalog::Parse("1;4096"));
}

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
