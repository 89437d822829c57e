#pragma once

#include <string>

struct AppServices;

// The instrument's memory segments as the context file records them: which file holds
// each segment of each channel ("SegmTbl"), which were changed ("Modif"), and the active
// segment of every channel ("Settings"/"ActiveSeg"). The program keeps no copy.
class SegmentTable {
public:
    explicit SegmentTable(AppServices& services);

    // With an empty file: looks the segment up. With a file: enters it and marks the
    // segment modified.
    bool SegmentEntry(int segment, int channel, std::string& file);
    // The working file of a segment in the per-user folder.
    std::string SegmentFilePath(int segment, int channel) const;
    // Stores n as the active segment of the active channel.
    void SetActiveSegment(int n);
    void ClearModified(int segment, int channel);

    // "ActiveCh" (0 when missing) and position ActiveCh of "ActiveSeg".
    int ReadActiveChannel();
    int ReadActiveSegment(int channel);

    static std::string SegmentKey(int segment, int channel);

private:
    void RaiseLastSegment(int segment, int channel);

    AppServices& services_;
};
