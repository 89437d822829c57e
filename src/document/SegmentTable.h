#pragma once

#include <optional>
#include <string>

struct AppServices;
class ProfileEdit;

// What saving a waveform does to its segment's modification mark, besides entering the
// file in the table (which sets the mark): a text export leaves it set, Save removes it
// after the entry, Save As of a binary file removes it before the entry sets it again.
enum class SavedMark { LeftSet, RemovedAfterEntry, RemovedBeforeEntry };

// The instrument's memory segments as the context file records them: which file holds
// each segment of each channel ("SegmTbl"), which were changed ("Modif"), and the active
// segment of every channel ("Settings"/"ActiveSeg"). The program keeps no copy.
class SegmentTable {
public:
    explicit SegmentTable(AppServices& services);

    // The file the table names for the segment, if any.
    std::optional<std::string> Entry(int segment, int channel) const;
    // Enters the file (as an absolute path, which the host can read from any folder) and
    // marks the segment modified, under one hold of the settings lock. Returns the path
    // entered.
    std::string Enter(int segment, int channel, const std::string& file);
    // An entry together with a save's change of the modification mark, in one
    // rewrite of the context file: a run killed half-way never leaves the mark removed
    // while the table still names the file that was saved from.
    bool EnterFile(int segment, int channel, std::string& file, SavedMark mark);
    // The file a segment is loaded from: the table's entry, or else its working file.
    std::string FileOf(int segment, int channel) const;
    // The working file of a segment in the per-user folder.
    std::string SegmentFilePath(int segment, int channel) const;
    // Stores n as the active segment of the active channel (read, changed and written
    // under one hold of the settings lock). False when the context file could not be
    // written (told to the user): the segment is then not active.
    bool SetActiveSegment(int n);
    void ClearModified(int segment, int channel);

    // "ActiveCh" (0 when missing) and position ActiveCh of "ActiveSeg".
    int ReadActiveChannel();
    int ReadActiveSegment(int channel);

    // The key of a segment in the table and in the modification marks; the FM
    // pseudo-segments (below 0) have the one key "FmWave".
    static std::string SegmentKey(int segment, int channel);
    // "1 1 " with n at position: the other integers kept, a short list not extended.
    static std::string ReplaceListEntry(const std::string& list, int position, int n);

private:
    static void RaiseLastSegment(ProfileEdit& edit, int segment, int channel);
    static void WriteEntry(ProfileEdit& edit, int segment, int channel, const std::string& file);

    AppServices& services_;
};
