#include "AgentBench.h"
#include "core/HostBus.h"
#include "download/FmMarkerFile.h"
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <numeric>
#include <span>

using namespace std::string_literals;

namespace {

// FM codes whose bytes include a newline, "#" and all-ones, as binary data must pass.
std::vector<std::int32_t> FmCodes(int count) {
    std::vector<std::int32_t> codes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        codes[static_cast<std::size_t>(i)] = i % 3 == 0 ? 0x0A23FFFF : 500'000'000 + i * 1000;
    }
    return codes;
}

// The files of a good FM download: 1000 codes, a deviation and three markers, channel 2.
void LeaveFmDownload(TempWorkspace& tool, const std::string& codes) {
    tool.SetContext("SegmTbl", "FmWave", tool.WriteFile("$tst/FmDef.wvf", codes));
    tool.SetContext("Settings", "ActiveCh", "1");
    tool.SetContext("Settings", "FmFuncMode", "0");
    tool.SetContext("Settings", "FmDev0", " 2.5e6");
    tool.WriteFile("$tst/$xMark", ScpiTestClient::Bytes(std::vector<std::int32_t>{12, 400, 950}));
}

// A sequence of two segment files on channel 2, the first played again as a block copy.
void LeaveSequence(TempWorkspace& tool, const std::string& first, const std::string& second) {
    const std::string a = tool.WriteFile("$tst/Seg-1.wav", first);
    const std::string b = tool.WriteFile("$tst/Seg-2.wav", second);
    tool.SetContext("Settings", "ActiveCh", "1");
    IniFile(tool.state.contextFile)
        .WriteSection(
            "PulsSeq-1",
            {{"Seg1", a}, {"Rpt1", "3"}, {"Seg2", b}, {"Rpt2", "1"}, {"Seg3", a}, {"Rpt3", "3"}});
}

// A download spoilt in one way, and the reason its failure gives.
struct Spoilt {
    std::function<void()> spoil;
    std::string reason;
};

// Each spoilt download fails with its reason and shows no markers; `leave` puts the good
// files back before each.
void ExpectRefused(AgentBench& bench, int notice, const std::function<void()>& leave,
                   std::span<const Spoilt> cases, const std::string& failure) {
    for (const Spoilt& c : cases) {
        leave();
        c.spoil();
        const auto outcome = bench.agent.Perform({notice, "", "", 0});
        EXPECT_FALSE(outcome.succeeded) << c.reason;
        EXPECT_TRUE(Contains(outcome.line, failure)) << outcome.line;
        EXPECT_TRUE(Contains(outcome.result, c.reason)) << outcome.result;
        EXPECT_EQ(outcome.markers, "");
    }
}

} // namespace

TEST(FmDownload, WideFmFamilySendsFrequenciesAloneWithoutMarkerFileOrDeviation) {
    AgentBench bench("G4270");
    const std::string hertz = ScpiTestClient::Bytes(std::vector<double>(64, 10.5e6));
    bench.tool.SetContext("SegmTbl", "FmWave", bench.tool.WriteFile("$tst/FmDef.wfm", hertz));
    bench.tool.SetContext("Settings", "FmDev0", "not read");

    const auto outcome = bench.agent.Perform({NotifyDownloadFm, "", "", 0});
    EXPECT_TRUE(outcome.succeeded) << outcome.line;
    EXPECT_EQ(outcome.result, "FM waveform of channel 1: 64 points in Hz");
    EXPECT_EQ(bench.instrument.AskBlock(":INST 1;:FM:DATA:HZ?"), hertz);
    EXPECT_EQ(bench.instrument.Ask(":FM:DEV?"), "1000000");
}

// Spoilt files are refused before the instrument hears of them; the good ones then bring the
// waveform and the deviation to it and the markers to the panel.
TEST(FmDownload, BadFilesAreRefusedAndTheGoodOnesReachTheInstrumentWithTheirMarkers) {
    AgentBench bench;
    ASSERT_TRUE(bench.simulator.Running());
    const std::string codes = ScpiTestClient::Bytes(FmCodes(1000));
    const auto markers = [&](const std::string& bytes) {
        return [&bench, bytes] { bench.tool.WriteFile("$tst/$xMark", bytes); };
    };
    const auto context = [&](const std::string& section, const std::string& key,
                             const std::string& value) {
        return [&bench, section, key, value] { bench.tool.SetContext(section, key, value); };
    };
    const Spoilt cases[] = {
        {[&] { std::filesystem::remove(bench.UserFile("$xMark")); },
         "the tool left no marker file"},
        {markers(""), "the marker file is empty"},
        {markers("\x0C\0\0\0\x01\0"s), "6 bytes, not a whole number of 32-bit entries"},
        {markers(ScpiTestClient::Bytes(std::vector<std::int32_t>{5, 1000})),
         "marker 2 names sample 1000, outside the FM waveform of 1000 points"},
        {markers(ScpiTestClient::Bytes(std::vector<std::int32_t>{-1})), "marker 1 names sample -1"},
        {[&] { IniFile(bench.tool.state.contextFile).DeleteSection("SegmTbl"); },
         "the context names no FM waveform file ([SegmTbl] FmWave)"},
        {[&] { bench.tool.WriteFile("$tst/FmDef.wvf", codes + "\x01"); },
         "4001 bytes, not a whole number of 32-bit codes"},
        {context("Settings", "FmDev0", "abc"), "the deviation [Settings] FmDev0 = \"abc\" is no"},
        {context("Settings", "FmDev0", "-5"), "is no frequency"},
        {context("Settings", "FmFuncMode", "1"), "holds no deviation ([Settings] FmDev1)"},
    };
    ExpectRefused(
        bench, NotifyDownloadFm, [&] { LeaveFmDownload(bench.tool, codes); }, cases,
        "notify 9 FM download failed: ");
    EXPECT_EQ(bench.instrument.AskBlock(":INST 2;:FM:DATA?"), "");
    EXPECT_EQ(bench.instrument.Ask(":FM:DEV?"), "1000000");

    LeaveFmDownload(bench.tool, codes);
    const auto outcome = bench.agent.Perform({NotifyDownloadFm, "", "", 0});
    EXPECT_TRUE(outcome.succeeded) << outcome.line;
    EXPECT_TRUE(Contains(outcome.line, "notify 9 FM download ch=2 ")) << outcome.line;
    EXPECT_EQ(outcome.result, "FM waveform of channel 2: 1000 points, deviation 2500000 Hz");
    EXPECT_EQ(outcome.markers, "3 markers at samples 12, 400, 950");
    EXPECT_EQ(bench.instrument.AskBlock(":INST 2;:FM:DATA?"), codes);
    EXPECT_EQ(bench.instrument.Ask(":FM:DEV?"), "2500000");
    EXPECT_EQ(bench.instrument.AskBlock(":INST 1;:FM:DATA?"), "");
}

TEST(FmDownload, MarkerListsAreDescribedAsThePanelShowsThem) {
    std::vector<std::int32_t> many(25);
    std::iota(many.begin(), many.end(), 0);
    const std::pair<std::vector<std::int32_t>, std::string> cases[] = {
        {{0}, "no marker in the frequency window"},
        {{5}, "1 marker at sample 5"},
        {{0, 7}, "2 markers at samples 0, 7"},
        {many, "25 markers at samples 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, "
               "17, 18, 19 and 5 more"},
    };
    for (const auto& [markers, text] : cases) {
        EXPECT_EQ(FmMarkerFile::Describe(markers), text);
    }
}

// Spoilt tables and files are refused before the instrument hears of them; the good one
// replaces what the channel held, and the instrument plays its steps in order.
TEST(SequenceDownload, BadTablesAreRefusedAndTheGoodOneReplacesWhatTheChannelHeld) {
    AgentBench bench;
    const std::string first = ScpiTestClient::Bytes(AwkwardSamples(64));
    const std::string second = ScpiTestClient::Bytes(AwkwardSamples(32));
    const auto set = [&](const std::string& key, const std::string& value) {
        return [&bench, key, value] { bench.tool.SetContext("PulsSeq-1", key, value); };
    };
    const auto tooMany = [&] {
        IniEntries entries;
        for (int m = 1; m <= 8193; ++m) {
            entries.emplace_back("Seg" + std::to_string(m), bench.UserFile("Seg-1.wav"));
            entries.emplace_back("Rpt" + std::to_string(m), "1");
        }
        IniFile(bench.tool.state.contextFile).WriteSection("PulsSeq-1", entries);
    };
    const Spoilt cases[] = {
        {[&] { IniFile(bench.tool.state.contextFile).DeleteSection("PulsSeq-1"); },
         "the sequence table [PulsSeq-1] has no steps"},
        {set("Seg5", bench.UserFile("Seg-1.wav")), "has no step 4 but a later one"},
        {set("Rpt2", "0"), "step 2: the repeat count \"0\" is not in 1..1048575 (MaxLoopNo)"},
        {set("Rpt3", "1048576"), "step 3: the repeat count \"1048576\" is not in"},
        {set("Rpt1", "2x"), "step 1: the repeat count \"2x\" is not in"},
        {[&] { IniFile(bench.tool.state.contextFile).Write("PulsSeq-1", "Rpt2", std::nullopt); },
         "step 2: the repeat count is missing"},
        {set("Sclk", "fast"), "the sample clock \"fast\" of [PulsSeq-1] is not a positive number"},
        {set("Sclk", "-1e6"), "the sample clock \"-1e6\" of [PulsSeq-1] is not a positive"},
        {tooMany, "the sequence has 8193 steps, more than the instrument's 8192 (MaxSequStp)"},
        {[&] { std::filesystem::remove(bench.UserFile("Seg-2.wav")); },
         "step 2: cannot read the waveform file: No such file or directory"},
        {[&] { bench.tool.WriteFile("$tst/Seg-2.wav", "\x01\x02\x03"); },
         "step 2: the segment file has 3 bytes, not a whole number of 16-bit samples"},
    };
    bench.instrument.Ask(":INST 2;:TRAC:DEF 7,100;*OPC?");
    ExpectRefused(
        bench, NotifyDownloadSequence, [&] { LeaveSequence(bench.tool, first, second); }, cases,
        "notify 18 sequence download failed: ");
    EXPECT_EQ(bench.instrument.Ask(":INST 2;:TRAC:CAT?;:SEQ:CAT?"), "7,100;");

    LeaveSequence(bench.tool, first, second);
    bench.tool.SetContext("PulsSeq-1", "Sclk", " 1.6e+06");
    const auto outcome = bench.agent.Perform({NotifyDownloadSequence, "", "", 0});
    EXPECT_TRUE(outcome.succeeded) << outcome.line;
    // Segment 7 is not defined again, and the panel is told so.
    EXPECT_EQ(outcome.result,
              "sequence of channel 2: 3 steps over 2 segments, 192 bytes; removed segment 7");
    EXPECT_TRUE(Contains(outcome.line, "; removed segment 7 -> 0,")) << outcome.line;
    EXPECT_EQ(bench.instrument.Ask(":INST 2;:TRAC:CAT?;:SEQ:CAT?;:FUNC:MODE?;:FREQ:RAST?"),
              "1,64,2,32;1,1,3,2,2,1,3,1,3;SEQ;1600000");
    EXPECT_EQ(bench.instrument.AskBlock(":SEQ:DATA?"),
              first + first + first + second + first + first + first);
    EXPECT_EQ(bench.instrument.Ask(":INST 1;:SEQ:CAT?"), "");
}

TEST(SequenceDownload, InstrumentRefusalIsAFailureThatSaysTheChannelMayHoldPartOfIt) {
    AgentBench bench;
    // Shorter than the instrument's shortest segment: only the instrument refuses it, after
    // the channel was cleared and the first segment defined.
    LeaveSequence(bench.tool, ScpiTestClient::Bytes(AwkwardSamples(64)),
                  ScpiTestClient::Bytes(AwkwardSamples(8)));
    const auto outcome = bench.agent.Perform({NotifyDownloadSequence, "", "", 0});
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_TRUE(Contains(outcome.line, "failed: -222")) << outcome.line;
    EXPECT_TRUE(Contains(outcome.result, "the channel may be left with part of the sequence"))
        << outcome.result;
    EXPECT_EQ(bench.instrument.Ask(":INST 2;:FUNC:MODE?"), "USER");
}

// A pulse design going out as one segment, at its clock in the platform's exponent form,
// after a sequence: the sequence and the segments it played go, the user's other segments
// stay, and what went is told.
TEST(PulseSegmentDownload, ClockIsSetAndLeftoversOfAnEarlierSequenceAreRemovedAndTold) {
    struct Case {
        const char* before; // on channel 1, after :INST 1
        std::string catalog;
        std::string removed;
    };
    const Case cases[] = {
        // Segment 2 is played by the sequence and defined again; 5 is nobody's step.
        {":TRAC:DEF 1,16;:TRAC:DEF 2,16;:TRAC:DEF 5,32;:TRAC:DEF 9,16;:SEQ:DEF 1,1,4;"
         ":SEQ:DEF 2,9,1;:SEQ:DEF 3,2,1;:SEQ:DEF 4,1,2;:FUNC:MODE SEQ",
         "2,500,5,32", "; removed the earlier sequence (4 steps) and segments 1, 9"},
        {":TRAC:DEF 9,16;:SEQ:DEF 1,9,4;:SEQ:DEF 2,7,1", "2,500",
         "; removed the earlier sequence (2 steps) and segment 9"},
        {":TRAC:DEF 5,32", "2,500,5,32", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        AgentBench bench;
        bench.instrument.Ask(":INST 1;"s + c.before + ";*OPC?");
        const std::string bytes = ScpiTestClient::Bytes(AwkwardSamples(500));
        const std::string path = bench.tool.WriteFile("$tst/PulsSing2-0.wav", bytes);
        const auto outcome = bench.agent.Perform(
            {NotifyDownloadSegment, ":FREQ:RAST 2.5e+006; :TRAC:DEF 2,500;:TRAC:SEL 2", path, 0});
        EXPECT_TRUE(outcome.succeeded) << outcome.line;
        EXPECT_EQ(outcome.result, "segment 2 of channel 1: 500 points, 1000 bytes" + c.removed);
        EXPECT_TRUE(Contains(outcome.line, c.removed + " -> 0,")) << outcome.line;
        EXPECT_EQ(bench.instrument.Ask(":INST 1;:FREQ:RAST?;:TRAC:CAT?;:SEQ:CAT?;:FUNC:MODE?"),
                  "2500000;" + c.catalog + ";;USER");
        EXPECT_EQ(bench.instrument.AskBlock(":TRAC:SEL 2;:TRAC:DATA?"), bytes);
    }
}
