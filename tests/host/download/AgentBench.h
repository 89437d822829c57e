#pragma once

#include "HostTestSupport.h"
#include "download/DownloadAgent.h"
#include "link/HostLink.h"
#include "support/TempWorkspace.h"

#include <string>

// A tool workspace, the simulated instrument, the host's agent for it, and the test's own
// look at the instrument.
class AgentBench {
public:
    explicit AgentBench(const std::string& family = "QW2182", bool vxi11 = false)
        : tool(family), simulator(vxi11),
          agent(Workspace(tool.Folder(), tool.state.userTag, family), simulator.Address()) {}

    // Leaves a segment file and its table entry, then runs the tool's Download command.
    std::string ToolDownloads(int segment, int channel, const std::string& bytes) {
        const std::string name =
            "$tst/TemS" + std::to_string(segment) + ".wa" + std::to_string(channel);
        const std::string path = tool.WriteFile(name, bytes);
        tool.SetContext("SegmTbl", "Segm" + std::to_string(segment) + "-" + std::to_string(channel),
                        path);
        tool.SetContext("Settings", "ActiveCh", std::to_string(channel));
        DownloadRequest request;
        request.segment = segment;
        request.channel = channel;
        request.lengthPoints = static_cast<double>(bytes.size() / 2);
        HostLink(tool.services, tool.Mode()).DownloadWaveform(request);
        return path;
    }

    std::string UserFile(const std::string& name) const {
        return tool.state.userFolder + "/" + name;
    }

    TempWorkspace tool;
    SimulatorProcess simulator;
    DownloadAgent agent;
    InstrumentLook instrument{simulator.Address()};
};
