#pragma once

#include "InstrumentAddress.h"
#include "ScpiConnection.h"
#include "Workspace.h"

#include <string>

// The host's answer to the tool's notifications: it reads what the tool left in the link
// key and the workspace and tells the instrument. Each notification is handled to the
// end (the instrument's acknowledgement and error queue included) and described in one
// line starting "notify <code>", which is what `consolux serve` prints.
class DownloadAgent {
public:
    DownloadAgent(Workspace workspace, InstrumentAddress address);

    std::string Handle(int code);

    // The connection, opened on first use and again after a failure.
    bool EnsureConnected();
    ScpiConnection& Instrument() { return instrument_; }
    const InstrumentAddress& Address() const { return address_; }
    const Workspace& CurrentWorkspace() const { return workspace_; }

    // The definition the tool's command asks for in SCPI: the short form "seg len" of the
    // G4270 family becomes ":TRAC:DEF seg,len;:TRAC:SEL seg"; SCPI text stays as it is.
    static std::string ToScpiCommand(const std::string& linkCommand);

private:
    std::string Download();
    std::string Forward();
    // "*OPC?" then the error queue until it is empty: "0,"No error"" or the errors.
    std::string Acknowledge();
    std::string LinkValue(const std::string& name) const;

    Workspace workspace_;
    InstrumentAddress address_;
    ScpiConnection instrument_;
};
