#include "download/InstrumentProbe.h"

#include "scpi/ScpiVocabulary.h"
#include "transport/InstrumentTransport.h"

namespace {

constexpr int kMostErrors = 32;

} // namespace

InstrumentProbe::Report InstrumentProbe::Run(const InstrumentAddress& address, int timeoutMs) {
    using V = ScpiVocabulary;
    Report report;
    report.lines.push_back("address: " + address.ToString());
    report.lines.push_back("transport: " + address.TransportName());
    const auto instrument = InstrumentTransport::For(address);
    instrument->SetTimeouts({timeoutMs, timeoutMs, timeoutMs});
    if (!instrument->Open()) {
        report.failure =
            "nothing answers over " + address.TransportName() + ": " + instrument->LastError();
        return report;
    }
    const auto ask = [&](const char* name, std::string_view query) {
        const auto answer = instrument->Query(query);
        if (!answer) {
            report.failure = std::string(query) + ": " + instrument->LastError();
            return false;
        }
        report.lines.push_back(std::string(name) + ": " + *answer);
        return true;
    };
    if (!ask("identity", V::kIdentify)) {
        return report;
    }
    report.answered = true;
    std::string errors;
    for (int i = 0; i < kMostErrors; ++i) {
        const auto error = instrument->Query(V::kNextError);
        if (!error) {
            report.failure = std::string(V::kNextError) + ": " + instrument->LastError();
            return report;
        }
        if (V::IsNoError(*error)) {
            errors = errors.empty() ? *error : errors;
            break;
        }
        errors += (errors.empty() ? "" : "; ") + *error;
    }
    report.lines.push_back("error queue: " + errors);
    // Channel 1's view; instruments keep memory and clock per channel.
    instrument->Send(V::SelectChannel(1));
    if (ask("free memory (points)", V::kFreeMemory)) {
        ask("sample clock (Hz)", V::kSampleClock);
    }
    return report;
}
