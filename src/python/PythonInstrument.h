#pragma once

#include "transport/InstrumentAddress.h"
#include "transport/InstrumentTransport.h"

#include <algorithm>
#include <memory>
#include <string>

// A script's connection to an instrument over the transport its address names (raw
// socket, VXI-11, USBTMC): the host's own line, opened at once so that a wrong address
// fails where it is given, and refusing every use once closed. Downloads go through the host's
// download code (Workspace.download), which opens its connection to the same address.
class PythonInstrument {
public:
    PythonInstrument(const std::string& address, double timeoutSeconds);

    void Write(const std::string& message);
    std::string Query(const std::string& message);
    std::string QueryBlock(const std::string& message);
    void Close() {
        connection_->Close();
        closed_ = true;
    }
    bool Closed() const { return closed_; }

    const InstrumentAddress& Address() const { return address_; }
    int TimeoutMs() const { return timeoutMs_; }
    // Connect and read waits take the script's timeout; a piece of a block may take longer
    // to be accepted, never less than the host's own write timeout.
    InstrumentTransport::Timeouts Timeouts() const {
        return {timeoutMs_, timeoutMs_,
                std::max(timeoutMs_, InstrumentTransport::Timeouts{}.writeMs)};
    }
    // The open connection; InstrumentError when it was closed or has failed.
    InstrumentTransport& Connection();

private:
    [[noreturn]] void Fail() const;

    InstrumentAddress address_;
    int timeoutMs_;
    std::unique_ptr<InstrumentTransport> connection_;
    bool closed_ = false;
};
