#pragma once

#include "workspace/Workspace.h"

#include <optional>
#include <string>
#include <vector>

// What the tool leaves for a pulse sequence download (notification 18), read and checked
// whole before the instrument hears of it: the context's section "PulsSeq-<ActiveCh>"
// with "Seg<m>" (a segment file) and "Rpt<m>" (its repeat count) for the steps m = 1, 2,
// ... in order, "Sclk" (the sample clock the segments were rendered for, optional for
// tables of older tools) and the segment files themselves. Steps that play the same samples
// (a repeated block, or a segment the tool found identical to an earlier one) name the same
// file again; each file becomes one instrument segment, numbered from 1 in the order of
// its first step, so a sequence costs the host and the instrument one copy of each
// segment however often it is played.
struct SequenceDownload {
    struct Segment {
        std::string file;
        std::string bytes; // 16-bit little-endian samples
    };
    struct Step {
        int segment = 0; // 1-based index into segments
        long long loops = 0;
    };

    int channel = 0; // the context's active channel, 0 for the first
    std::string section;
    std::string sampleClock; // as the table gives it ("%g"), empty when it gives none
    std::vector<Segment> segments;
    std::vector<Step> steps;

    // Nullopt with `error` naming the step, key or file at fault. The family's
    // "MaxSequStp" and "MaxLoopNo" ([SegmTbl]) bound the steps and their counts.
    static std::optional<SequenceDownload> Read(const Workspace& workspace, std::string& error);
    // The segment files the active channel's table names, in step order, without reading
    // them or checking the table.
    static std::vector<std::string> FilesNamed(const Workspace& workspace);

    std::size_t TotalBytes() const;
    // The program messages, in order: clearing the channel's segments and sequence, then
    // (with each segment's block) its definition, then the steps in messages of a few
    // hundred, then the sequence mode. Each starts by selecting the channel.
    std::string ClearMessage() const;
    std::string SegmentPrefix(std::size_t index) const;
    std::vector<std::string> StepMessages() const;
    // Sets the table's sample clock, if any, then the sequence mode.
    std::string PlayMessage() const;
};
