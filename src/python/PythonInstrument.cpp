#include "PythonInstrument.h"

#include "PythonFailure.h"

#include <cmath>

PythonInstrument::PythonInstrument(const std::string& address, double timeoutSeconds) {
    const auto parsed = InstrumentAddress::Parse(address);
    if (!parsed) {
        RaiseInput(InstrumentAddress::ParseError(address));
    }
    if (!(std::isfinite(timeoutSeconds) && timeoutSeconds > 0 && timeoutSeconds <= 3600)) {
        RaiseInput("the timeout is a number of seconds above 0, at most 3600");
    }
    address_ = *parsed;
    timeoutMs_ = static_cast<int>(std::ceil(timeoutSeconds * 1000));
    connection_ = InstrumentTransport::For(address_);
    connection_->SetTimeouts(Timeouts());
    if (!connection_->Open()) {
        Fail();
    }
}

InstrumentTransport& PythonInstrument::Connection() {
    if (closed_) {
        throw PythonFailure(PythonFailure::Kind::Instrument,
                            "the connection to " + address_.ToString() + " is closed");
    }
    connection_->CloseIfHungUp();
    if (!connection_->IsOpen() && !connection_->Open()) {
        Fail();
    }
    return *connection_;
}

void PythonInstrument::Write(const std::string& message) {
    if (!Connection().Send(message)) {
        Fail();
    }
}

std::string PythonInstrument::Query(const std::string& message) {
    const auto answer = Connection().Query(message);
    if (!answer) {
        Fail();
    }
    return *answer;
}

std::string PythonInstrument::QueryBlock(const std::string& message) {
    const auto answer = Connection().QueryBlock(message);
    if (!answer) {
        Fail();
    }
    return *answer;
}

void PythonInstrument::Fail() const {
    // The connection's error names the address already.
    throw PythonFailure(PythonFailure::Kind::Instrument, connection_->LastError());
}
