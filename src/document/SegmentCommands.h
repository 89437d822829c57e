#pragma once

#include "document/SegmentTable.h"

#include <functional>
#include <string>

class WaveDoc;
struct AppServices;

// Switching the active segment and channel: the segment field (control 2001 in standard
// mode), the channel commands 32810 and 32811, and the re-synchronisation with the host
// each time the main window becomes active.
class SegmentCommands {
public:
    static constexpr int kChannel1Command = 32810;
    static constexpr int kChannel2Command = 32811;

    // The commands write the active channel and segment of the services' state.
    SegmentCommands(WaveDoc& document, AppServices& services);

    // Start-up: the active channel and segment read afresh, then the segment's file loaded,
    // or created with the default waveform of 1024 neutral points.
    void OpenActiveSegment();
    // Loads the waveform of the now active segment into the document.
    void SwitchSegment();
    void OnSegmentField(const std::string& fieldText);
    void OnChannelCommand(int commandId);
    bool ChannelCommandEnabled() const;
    bool ChannelCommandChecked(int commandId) const;
    // Activation of the main window: read channel and segment again, then switch.
    void Resync();
    // Host request 4: read channel and segment again, without loading.
    void ReloadSharedState();

    // Instrument commands handed to the host (segment and channel selection).
    std::function<void(int segment)> sendSegmentCommand;
    std::function<void(int channel)> sendChannelCommand;

private:
    enum class SlotFile { Loaded, Created, Unwritten };

    // The file into the document: loaded when it exists, otherwise the default waveform,
    // written there (Unwritten: the write failed and was told).
    SlotFile LoadOrCreate(const std::string& file);

    WaveDoc& document_;
    AppServices& services_;
    // The table lives in the context file; this is only the way to it.
    SegmentTable segments_;
};
