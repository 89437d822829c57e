#include "DownloadAgent.h"

#include "MappedFile.h"
#include "core/HostBus.h"
#include "settings/RegistryKey.h"

#include <cstdio>
#include <sstream>

namespace {

constexpr int kMaxQueuedErrors = 32;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsNoError(const std::string& reply) {
    return !reply.empty() && reply[0] == '0' && (reply.size() == 1 || reply[1] == ',');
}

} // namespace

DownloadAgent::DownloadAgent(Workspace workspace, InstrumentAddress address)
    : workspace_(std::move(workspace)), address_(std::move(address)) {}

std::string DownloadAgent::Handle(int code) {
    const std::string head = "notify " + std::to_string(code) + " ";
    switch (code) {
    case NotifyDeactivated:
        return head + "deactivated";
    case NotifyCommand:
        return head + Forward();
    case NotifyDownloadSegment:
        return head + Download();
    case NotifyClosing:
        return head + "closing";
    case NotifyClosingFm:
        return head + "closing (FM)";
    case NotifyDownloadFm:
        return head + "FM download: not performed by this host";
    case NotifyDownloadSequence:
        return head + "sequence download: not performed by this host";
    default:
        return head + "unknown";
    }
}

bool DownloadAgent::EnsureConnected() {
    return instrument_.IsOpen() || instrument_.Open(address_);
}

std::string DownloadAgent::ToScpiCommand(const std::string& linkCommand) {
    std::istringstream words(linkCommand);
    long long segment = 0;
    long long length = 0;
    std::string rest;
    if (words >> segment >> length && !(words >> rest)) {
        const std::string seg = std::to_string(segment);
        return ":TRAC:DEF " + seg + "," + std::to_string(length) + ";:TRAC:SEL " + seg;
    }
    return linkCommand;
}

std::string DownloadAgent::Download() {
    const std::string command = LinkValue("Cmd");
    const std::string path = LinkValue("wFile");
    const int channel = workspace_.ActiveChannel();
    std::string line =
        "download ch=" + std::to_string(channel + 1) + " " + Quoted(command) + " " + path;
    MappedFile file(path);
    if (!file.IsOpen()) {
        return line + " failed: cannot read the waveform file (" + file.Error() + ")";
    }
    line += ' ';
    line += std::to_string(file.Size());
    line += " bytes";
    if (!EnsureConnected()) {
        return line + " failed: " + instrument_.LastError();
    }
    const bool sent = instrument_.Send(":INST " + std::to_string(channel + 1)) &&
                      instrument_.Send(ToScpiCommand(command)) &&
                      instrument_.SendBlock(":TRAC:DATA ", file.Data(), file.Size());
    if (!sent) {
        return line + " failed: " + instrument_.LastError();
    }
    return line + " -> " + Acknowledge();
}

std::string DownloadAgent::Forward() {
    const std::string command = LinkValue("Cmd");
    std::string line = "command " + Quoted(command);
    if (command.empty()) {
        return line + " ignored: empty";
    }
    if (!EnsureConnected() || !instrument_.Send(command)) {
        return line + " failed: " + instrument_.LastError();
    }
    return line + " -> " + Acknowledge();
}

std::string DownloadAgent::Acknowledge() {
    const auto complete = instrument_.Query("*OPC?");
    if (!complete) {
        return "no acknowledgement: " + instrument_.LastError();
    }
    std::string errors;
    for (int i = 0; i < kMaxQueuedErrors; ++i) {
        const auto reply = instrument_.Query(":SYST:ERR?");
        if (!reply) {
            return "error queue unreadable: " + instrument_.LastError();
        }
        if (IsNoError(*reply)) {
            return errors.empty() ? *reply : errors;
        }
        errors += errors.empty() ? "" : "; ";
        errors += *reply;
    }
    return errors;
}

std::string DownloadAgent::LinkValue(const std::string& name) const {
    return RegistryKey(RegistryRoot::CurrentUser, workspace_.LinkKeyPath())
        .ReadValue(name)
        .value_or("");
}
