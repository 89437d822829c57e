#pragma once

#include <optional>
#include <string>

// What the conversation with the host does differently in each mode: what a download
// sends, the code that says the tool is closing, which of the host's requests are meant
// for this tool, and the FM editor's extra commands. The modes themselves live with the
// document; the link only asks.
class LinkMode {
public:
    enum class Download { Segment, FmWaveform, PulseDesign };

    virtual ~LinkMode() = default;

    virtual Download DownloadKind() const = 0;
    // The notification posted when the document goes away (5, or 12 for the FM editor).
    virtual int ClosingNotify() const = 0;
    // The host's close request for this mode; the pulse designer answers none.
    virtual std::optional<int> CloseRequest() const = 0;
    // The host's request that moves the window.
    virtual int PlaceRequest() const = 0;
    // The FM download hands the marker positions over in a file; a wide-FM family has
    // none.
    virtual bool HasMarkerFile() const { return false; }
    // An accepted deviation of function mode 0 is also sent as an instrument command.
    virtual bool SendsDeviationCommand() const { return false; }
    // What a segment download's command starts with (the pulse designer sets the sample
    // clock first).
    virtual std::string DownloadCommandPrefix(double /*sampleClock*/) const { return {}; }
};
