#pragma once

#include "link/LinkMode.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AppServices;

// What the pulse renderer reports back to a download: whether the design could be
// rendered, whether it went out as a sequence, and for a single segment the sample
// clock it chose and the segment's length in points.
struct PulseRendering {
    bool succeeded = false;
    bool asSequence = false;
    double sampleClock = 0.0;
    double lengthPoints = 0.0;
};

// The document's side of a download: the active segment and channel, the waveform
// length, and the mode-specific pieces the link cannot compute itself.
struct DownloadRequest {
    int segment = 1;
    int channel = 0;
    double lengthPoints = 0.0;
    // FM mode: the marker sample list, written to the marker file for the host, and how
    // many stored markers lie inside the frequency window.
    std::vector<std::int32_t> fmMarkers;
    int fmMarkersInWindow = 0;
    // Pulse mode: renders the design; called once before anything is written.
    std::function<PulseRendering()> renderPulse;
};

// The tool's half of the conversation with the host. Every exchange writes its data first
// (link key, context file, marker file) and then posts a notification; nothing waits
// for an answer, and failures of the registry or the bus are ignored.
class HostLink {
public:
    // The mode decides what a download sends and which codes the host is told.
    HostLink(AppServices& services, const LinkMode& mode);

    // Leaves one instrument command line in the link key and tells the host.
    void SendHostCommand(const std::string& text);
    void SendSegmentCommand(int segment);
    // channel is 0-based; the instrument counts channels from 1.
    void SendChannelCommand(int channel);

    // The Download command of every mode. False when nothing was posted (a pulse design
    // that could not be rendered).
    bool DownloadWaveform(const DownloadRequest& request);
    // What the download of this request leaves behind that the user sees in the view: the
    // FM markers of a wide-FM family, which has no marker file. A sentence for the front
    // end to show, or empty.
    std::string LeftOutOfDownload(const DownloadRequest& request) const;

    void NotifyDeactivated();
    // The document is going away: the download file is removed and the host told.
    void NotifyDocumentClosed();

    // The template rule: a template with a blank after its first character is cut after
    // that blank, then the argument is appended (":TRAC:SEL 1" + "12" -> ":TRAC:SEL 12").
    static std::string ApplyTemplate(const std::string& commandTemplate,
                                     const std::string& argument);
    // The "Cmd" text of a standard or single-segment pulse download, at most 259
    // characters. sampleClock goes into the mode's prefix (pulse mode only).
    static std::string ComposeDownloadCommand(const std::string& familyName, const LinkMode& mode,
                                              int segment, double lengthPoints, double sampleClock);

    static constexpr const char* kLinkKey = "DwnStr";
    static constexpr const char* kMarkerFileName = "$xMark";
    static constexpr const char* kDownloadFileName = "^^Dwn.wav";

private:
    std::string ReadInterfaceTemplate(const char* key, int size, const char* fallback);
    void DownloadFm(const DownloadRequest& request);
    // Renders the pulse design first; false when it could not be rendered.
    bool DownloadDesign(const DownloadRequest& request);
    void DownloadSegment(int segment, int channel, double lengthPoints, double sampleClock);
    // False, told to the user, when the file could not be written.
    bool WriteMarkerFile(const std::vector<std::int32_t>& markers) const;
    std::string UserFile(const char* name) const;

    AppServices& services_;
    const LinkMode& mode_;
};
