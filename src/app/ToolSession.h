#pragma once

#include "app/ComposerApp.h"
#include "core/AppServices.h"
#include "document/WaveformConversion.h"

#include <memory>

class HostBus;
class HostLink;
class PulseDownload;
class FileChooser;
class FileCommands;
class SegmentCommands;
class WaveDoc;
class DocumentMode;

// One run of the tool, as the GUI and the command-line tool share it: the start-up
// sequence, then the document with its commands and its link to the host.
class ToolSession : private WaveformConversion {
public:
    ToolSession(const ProcessFacts& facts, UserInterface& ui, HostBus& bus);
    ~ToolSession();

    // The command-line tool takes its mode from --mode.
    void ForceMode(OperatingMode mode) { app_.ForceMode(mode); }
    // Runs the start-up sequence and creates the document. False: the program ends.
    bool Start();

    AppState& State() { return app_.State(); }
    ProfileStore& Store() { return app_.Store(); }
    AppServices& Services() { return services_; }
    // The mode of the run; valid after Start.
    const DocumentMode& Mode() const { return *mode_; }
    WaveDoc& Document() { return *document_; }
    HostLink& Link() { return *link_; }
    FileChooser& Chooser() { return *chooser_; }
    FileCommands& Files() { return *files_; }
    SegmentCommands& Segments() { return *segments_; }
    // The render a Download in pulse mode runs first, with its last outcome.
    PulseDownload& Pulse() { return *pulse_; }

    // The Download command of the mode. Returns what the user should be told about what
    // the download left out (HostLink::LeftOutOfDownload), or empty.
    std::string DownloadWaveform();

private:
    // A file named by the segment table, through the extension rules; one that they
    // cannot read makes the document start anew.
    std::string ToBinary(const std::string& path) override;

    ComposerApp app_;
    AppServices services_;
    const DocumentMode* mode_ = nullptr;
    std::unique_ptr<HostLink> link_;
    std::unique_ptr<FileChooser> chooser_;
    std::unique_ptr<WaveDoc> document_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<SegmentCommands> segments_;
    std::unique_ptr<PulseDownload> pulse_;
};
