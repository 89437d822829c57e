#pragma once

#include "download/InstrumentAddress.h"
#include "download/ScpiConnection.h"

#include <string>

// A script's connection to an instrument: the host's own SCPI socket class, opened at
// once so that a wrong address fails where it is given, and refusing every use once
// closed. Downloads go through the host's download code (Workspace.download), which opens
// its connection to the same address.
class PythonInstrument {
public:
    PythonInstrument(const std::string& address, double timeoutSeconds);

    void Write(const std::string& message);
    std::string Query(const std::string& message);
    std::string QueryBlock(const std::string& message);
    void Close() {
        connection_.Close();
        closed_ = true;
    }
    bool Closed() const { return closed_; }

    const InstrumentAddress& Address() const { return address_; }
    int TimeoutMs() const { return timeoutMs_; }
    // The open connection; InstrumentError when it was closed or has failed.
    ScpiConnection& Connection();

private:
    [[noreturn]] void Fail() const;

    InstrumentAddress address_;
    int timeoutMs_;
    ScpiConnection connection_;
    bool closed_ = false;
};
