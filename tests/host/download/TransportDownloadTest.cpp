#include "AgentBench.h"
#include "UsbtmcStandIn.h"
#include "core/HostBus.h"
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// What the instrument holds after the downloads: the standard segment, the FM table and
// the sequence with its segments.
std::map<std::string, std::string> DownloadEverything(bool vxi11) {
    AgentBench bench("QW2182", vxi11);
    std::map<std::string, std::string> held;
    const std::string segment = SampleBytes(AwkwardSamples(300000));
    bench.ToolDownloads(5, 0, segment);
    const auto outcomes = {
        bench.agent.Handle(NotifyDownloadSegment),
        [&] {
            std::vector<std::int32_t> codes(1000, 500'000'000);
            codes[1] = 0x0A23FFFF;
            bench.tool.SetContext("SegmTbl", "FmWave",
                                  bench.tool.WriteFile("$tst/FmDef.wvf", Bytes(codes)));
            bench.tool.SetContext("Settings", "ActiveCh", "1");
            bench.tool.SetContext("Settings", "FmFuncMode", "0");
            bench.tool.SetContext("Settings", "FmDev0", "2.5e6");
            bench.tool.WriteFile("$tst/$xMark", Bytes(std::vector<std::int32_t>{12, 400}));
            return bench.agent.Handle(NotifyDownloadFm);
        }(),
        [&] {
            const std::string a =
                bench.tool.WriteFile("$tst/Seg-1.wav", SampleBytes(AwkwardSamples(64)));
            const std::string b =
                bench.tool.WriteFile("$tst/Seg-2.wav", SampleBytes(AwkwardSamples(96)));
            IniFile(bench.tool.state.contextFile)
                .WriteSection("PulsSeq-1",
                              {{"Seg1", a}, {"Rpt1", "3"}, {"Seg2", b}, {"Rpt2", "1"}});
            return bench.agent.Handle(NotifyDownloadSequence);
        }(),
    };
    for (const std::string& line : outcomes) {
        EXPECT_FALSE(Contains(line, "failed")) << line;
    }
    EXPECT_EQ(bench.instrument.SegmentData(1, 5), segment);
    held["segment"] = bench.instrument.SegmentData(1, 5);
    held["fm"] = bench.instrument.AskBlock(":INST 2;:FM:DATA?");
    held["steps"] = bench.instrument.Ask(":INST 2;:SEQ:CAT?");
    held["sequence segments"] =
        bench.instrument.SegmentData(2, 1) + bench.instrument.SegmentData(2, 2);
    return held;
}

} // namespace

// The host's three downloads leave the instrument the same copies whichever transport
// carries them.
TEST(TransportDownload, SegmentFmTableAndSequenceArriveAlikeOverVxi11AndTheSocket) {
    RpcbindGuard rpcbind;
    if (!rpcbind.Missing().empty()) {
        GTEST_SKIP() << rpcbind.Missing();
    }
    const auto overSocket = DownloadEverything(false);
    const auto overVxi11 = DownloadEverything(true);
    EXPECT_EQ(overVxi11, overSocket);
}

// A USBTMC instrument (a stand-in device file) takes a download as the socket does; pulled
// out, the next download fails with the reason and the instrument keeps what it had; plugged
// back in, the download after goes through.
TEST(TransportDownload, UsbtmcDeviceThatVanishesFailsTheDownloadUntilItIsBack) {
    AgentBench bench;
    UsbtmcStandIn device(bench.tool.Folder(), bench.simulator.Address().port);
    ASSERT_TRUE(device.Plugged());
    DownloadAgent usb(bench.agent.CurrentWorkspace(), *InstrumentAddress::Parse(device.Path()));
    const auto download = [&](const std::string& bytes) {
        bench.ToolDownloads(3, 0, bytes);
        return usb.Perform(ToolNotice::Read(usb.CurrentWorkspace(), NotifyDownloadSegment));
    };
    const std::string first = SampleBytes(AwkwardSamples(50000));
    const std::string second = SampleBytes(AwkwardSamples(40000));

    EXPECT_TRUE(download(first).succeeded);
    EXPECT_EQ(bench.instrument.SegmentData(1, 3), first);
    device.Unplug();
    const auto unplugged = download(second);
    EXPECT_FALSE(unplugged.succeeded);
    EXPECT_TRUE(Contains(unplugged.line, device.Path() + ": No such file or directory"))
        << unplugged.line;
    EXPECT_EQ(bench.instrument.SegmentData(1, 3), first);
    ASSERT_TRUE(device.Plug());
    EXPECT_TRUE(download(second).succeeded);
    EXPECT_EQ(bench.instrument.SegmentData(1, 3), second);
}
