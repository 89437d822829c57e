#include "DownloadAgent.h"
#include "HostTestSupport.h"
#include "link/HostLink.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

namespace {

// A tool workspace, the simulated instrument and the host's agent for it.
class AgentBench {
public:
    explicit AgentBench(const std::string& family = "QW2182")
        : tool(family),
          agent(Workspace(tool.Folder(), tool.state.userTag, family), simulator.Address()) {
        instrument.Open(simulator.Address());
    }

    // Leaves a segment file and its table entry, then runs the tool's Download command.
    std::string ToolDownloads(int segment, int channel, const std::string& bytes) {
        const std::string path = tool.state.userFolder + "/TemS" + std::to_string(segment) + ".wa" +
                                 std::to_string(channel);
        tool.WriteFile("$tst/TemS" + std::to_string(segment) + ".wa" + std::to_string(channel),
                       bytes);
        tool.SetContext("SegmTbl", "Segm" + std::to_string(segment) + "-" + std::to_string(channel),
                        path);
        tool.SetContext("Settings", "ActiveCh", std::to_string(channel));
        DownloadRequest request;
        request.segment = segment;
        request.channel = channel;
        request.lengthPoints = static_cast<double>(bytes.size() / 2);
        HostLink(tool.services).DownloadWaveform(request);
        return path;
    }

    std::string SegmentData(int channel, int segment) {
        instrument.Send(":INST " + std::to_string(channel));
        instrument.Send(":TRAC:SEL " + std::to_string(segment));
        return instrument.QueryBlock(":TRAC:DATA?").value_or("<no data>");
    }

    std::string Catalog(int channel) {
        instrument.Send(":INST " + std::to_string(channel));
        return instrument.Query(":TRAC:CAT?").value_or("<no answer>");
    }

    TempWorkspace tool;
    SimulatorProcess simulator;
    DownloadAgent agent;
    ScpiConnection instrument; // the test's own look at the instrument
};

} // namespace

TEST(ConsoluxDownload, SegmentReachesTheInstrumentByteForByte) {
    AgentBench bench;
    ASSERT_TRUE(bench.simulator.Running());
    const std::string bytes = SampleBytes(AwkwardSamples(4096));
    const std::string path = bench.ToolDownloads(3, 0, bytes);

    const std::string line = bench.agent.Handle(NotifyDownloadSegment);
    EXPECT_EQ(line, "notify 2 download ch=1 \":TRAC:DEF 3,4096;:TRAC:SEL 3\" " + path +
                        " 8192 bytes -> 0,\"No error\"");
    EXPECT_EQ(bench.SegmentData(1, 3), bytes);
    EXPECT_EQ(bench.Catalog(1), "3,4096");
    EXPECT_EQ(bench.Catalog(2), "");
}

TEST(ConsoluxDownload, ActiveChannelOfTheContextChoosesTheInstrumentChannel) {
    AgentBench bench;
    const std::string bytes = SampleBytes(AwkwardSamples(64));
    bench.ToolDownloads(2, 1, bytes);
    EXPECT_NE(bench.agent.Handle(NotifyDownloadSegment).find("ch=2"), std::string::npos);
    EXPECT_EQ(bench.Catalog(1), "");
    EXPECT_EQ(bench.SegmentData(2, 2), bytes);
}

TEST(ConsoluxDownload, ShortFormOfTheG4270FamilyIsDefinedAsScpi) {
    AgentBench bench("G4270");
    const std::string bytes = SampleBytes(AwkwardSamples(100));
    bench.ToolDownloads(5, 0, bytes);
    const std::string line = bench.agent.Handle(NotifyDownloadSegment);
    EXPECT_NE(line.find("\"5 100\""), std::string::npos) << line;
    EXPECT_NE(line.find("-> 0,"), std::string::npos) << line;
    EXPECT_EQ(bench.SegmentData(1, 5), bytes);
}

TEST(ConsoluxDownload, ScpiFormOfTheLinkCommand) {
    EXPECT_EQ(DownloadAgent::ToScpiCommand("3 4096"), ":TRAC:DEF 3,4096;:TRAC:SEL 3");
    EXPECT_EQ(DownloadAgent::ToScpiCommand(":TRAC:DEF 1,64;:TRAC:SEL 1"),
              ":TRAC:DEF 1,64;:TRAC:SEL 1");
    EXPECT_EQ(DownloadAgent::ToScpiCommand("3 4096 7"), "3 4096 7");
}

TEST(ConsoluxDownload, MissingSegmentFileIsReportedAndNothingIsSent) {
    AgentBench bench;
    DownloadRequest request;
    request.segment = 9;
    request.lengthPoints = 64;
    HostLink(bench.tool.services).DownloadWaveform(request);
    const std::string line = bench.agent.Handle(NotifyDownloadSegment);
    EXPECT_NE(line.find(" noo failed: cannot read the waveform file"), std::string::npos) << line;
    EXPECT_EQ(bench.Catalog(1), "");
}

TEST(ConsoluxDownload, InstrumentErrorsAreReportedInTheLine) {
    AgentBench bench;
    const std::string path = bench.ToolDownloads(1, 0, SampleBytes(AwkwardSamples(64)));
    // The file grows behind the tool's back: the block no longer fits the definition.
    bench.tool.WriteFile("$tst/TemS1.wa0", SampleBytes(AwkwardSamples(80)));
    const std::string line = bench.agent.Handle(NotifyDownloadSegment);
    EXPECT_EQ(line.find("-> 0,"), std::string::npos) << line;
    EXPECT_NE(line.find("-> -"), std::string::npos) << line;
    // The queue was read to its end: the next command is acknowledged cleanly.
    HostLink(bench.tool.services).SendChannelCommand(1);
    EXPECT_EQ(bench.agent.Handle(NotifyCommand), "notify 1 command \":INST 2\" -> 0,\"No error\"");
}

TEST(ConsoluxDownload, CommandNotificationForwardsTheLinkCommand) {
    AgentBench bench;
    HostLink(bench.tool.services).SendChannelCommand(1);
    EXPECT_EQ(bench.agent.Handle(NotifyCommand), "notify 1 command \":INST 2\" -> 0,\"No error\"");
    EXPECT_EQ(bench.agent.Instrument().Query(":INST?"), "2");
}

TEST(ConsoluxDownload, UnreachableInstrumentFailsQuicklyWithTheReason) {
    TempWorkspace tool;
    DownloadAgent agent(Workspace(tool.Folder(), tool.state.userTag, "QW2182"),
                        InstrumentAddress{"127.0.0.1", 1});
    HostLink(tool.services).SendSegmentCommand(4);
    const std::string line = agent.Handle(NotifyCommand);
    EXPECT_NE(line.find("failed: 127.0.0.1:1: Connection refused"), std::string::npos) << line;
}

TEST(ConsoluxDownload, NotificationsWithoutInstrumentWorkAreOnlyLogged) {
    TempWorkspace tool;
    DownloadAgent agent(Workspace(tool.Folder(), tool.state.userTag, "QW2182"),
                        InstrumentAddress{"127.0.0.1", 1});
    EXPECT_EQ(agent.Handle(NotifyDeactivated), "notify 0 deactivated");
    EXPECT_EQ(agent.Handle(NotifyClosing), "notify 5 closing");
    EXPECT_EQ(agent.Handle(NotifyClosingFm), "notify 12 closing (FM)");
    EXPECT_EQ(agent.Handle(77), "notify 77 unknown");
}
