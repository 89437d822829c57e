#pragma once

#include "workspace/Workspace.h"

#include <string>
#include <vector>

// What a tool left for the host with one notification, read from the link key and the
// context file as the notification arrives: the tool never waits for the host, and its
// next command overwrites "Cmd" whether or not this one has been performed.
struct ToolNotice {
    int code = 0;
    std::string command;  // the link key's "Cmd"
    std::string waveFile; // the link key's "wFile"
    int channel = 0;      // the context's active channel, 0 for the first
    // The files a download would send, as this workspace names them: the segment's "wFile",
    // the FM waveform of [SegmTbl], or the segment files of the channel's sequence table.
    std::vector<std::string> sentFiles = {};

    static ToolNotice Read(const Workspace& workspace, int code);
};
