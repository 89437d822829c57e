#pragma once

#include "download/ChannelLeftovers.h"
#include "download/DownloadCommand.h"
#include "download/ToolNotice.h"
#include "transport/InstrumentAddress.h"
#include "transport/InstrumentTransport.h"
#include "workspace/Workspace.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class WaveformStream;

// The host's answer to its tool's notifications: it takes what the tool left in the link
// key and the workspace to the instrument. Each notification is performed to the end (the
// instrument's completion and error queue included) and described in one line starting
// "notify <code>", which is what `consolux serve` prints; a line that reports anything
// short of a clean acknowledgement says "failed:".
class DownloadAgent {
public:
    struct Outcome {
        std::string line;
        bool succeeded = true;
        // A download's result in few words: where it went and how much, or why it failed.
        std::string result;
        // An FM download whose files were read: its markers as the panel shows them.
        std::string markers;
    };

    DownloadAgent(Workspace workspace, InstrumentAddress address);

    // Reads what the tool left for `code` now and performs it.
    std::string Handle(int code);
    Outcome Perform(const ToolNotice& notice, const InstrumentTransport::Progress& progress = {});

    // The line to the instrument, opened on first use and again after a failure or a hang-up.
    bool EnsureConnected();
    // Runs `exchange` on the connection. When the instrument turns out to have gone away
    // under an open connection (it restarted), a fresh connection gets one more try; a
    // stall is not retried, as that would only double the wait. False with `error` set.
    bool Exchange(const std::function<bool()>& exchange, std::string& error);
    InstrumentTransport& Instrument() { return *instrument_; }
    const InstrumentAddress& Address() const { return address_; }
    // The next exchange goes to `address`, over the transport it names.
    void SetAddress(const InstrumentAddress& address);
    // Raised, it ends the message being sent (see InstrumentTransport::SetCancel).
    void SetCancel(const std::atomic<bool>* cancel);
    const Workspace& CurrentWorkspace() const { return workspace_; }

private:
    struct Transfer {
        bool exchanged = false;
        bool began = false;  // some bytes of the message left
        std::string summary; // the instrument's completion: "0,..." or its errors
        std::string error;   // why the exchange failed
    };

    Outcome Download(const ToolNotice& notice, const InstrumentTransport::Progress& progress);
    Outcome DownloadFm(const InstrumentTransport::Progress& progress);
    Outcome DownloadSequence(const InstrumentTransport::Progress& progress);
    // One program message of `prefix`, the block of `bytes` and the newline, then the
    // instrument's completion.
    Transfer Send(const std::string& prefix, const std::string& bytes,
                  const InstrumentTransport::Progress& progress);
    // One program message: its text and, when it has one, its block, in memory or read
    // from the waveform file as it goes out.
    struct Message {
        std::string text;
        const std::string* bytes = nullptr;
        const WaveformStream* file = nullptr;
    };
    // Runs `messages`, then reads the completion.
    Transfer SendAll(const std::vector<Message>& messages,
                     const InstrumentTransport::Progress& progress);
    Outcome Forward(const ToolNotice& notice);
    // Asks the instrument what `channel` (1-based) holds and reads the answer by `rule`.
    // Nullopt with `error` set when it cannot be asked or its answer read.
    using LeftoverRule = std::function<std::optional<ChannelLeftovers>(const std::string&)>;
    std::optional<ChannelLeftovers> ReadLeftovers(int channel, std::string& error,
                                                  const LeftoverRule& rule);
    // "*OPC?", then the error queue until it is empty: `summary` is "0,"No error"" or
    // the errors. False when the connection failed on the way.
    bool ReadCompletion(std::string& summary);

    Workspace workspace_;
    InstrumentAddress address_;
    std::unique_ptr<InstrumentTransport> instrument_;
    const std::atomic<bool>* cancel_ = nullptr;
};
