#include "AgentBench.h"
#include "UsbtmcStandIn.h"
#include "core/HostBus.h"

#include <gtest/gtest.h>

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
    const std::string first = ScpiTestClient::Bytes(AwkwardSamples(50000));
    const std::string second = ScpiTestClient::Bytes(AwkwardSamples(40000));

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
