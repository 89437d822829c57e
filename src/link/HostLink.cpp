#include "link/HostLink.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/HostBus.h"
#include "core/UserInterface.h"
#include "settings/AtomicFileWriter.h"
#include "settings/FileHelpers.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <cmath>

namespace {

// The command buffer of a download holds 260 bytes, the last one always zero.
constexpr std::size_t kCommandLimit = 259;
constexpr int kPathBufferSize = 260;
constexpr int kSegmentTemplateSize = 40;
constexpr int kChannelTemplateSize = 60;

std::string SegmentKey(int segment, int channel) {
    return "Segm" + std::to_string(segment) + "-" + std::to_string(channel);
}

std::string WholePoints(double lengthPoints) {
    return std::to_string(static_cast<long long>(std::trunc(lengthPoints)));
}

} // namespace

HostLink::HostLink(AppServices& services, const LinkMode& mode)
    : services_(services), mode_(mode) {}

void HostLink::SendHostCommand(const std::string& text) {
    services_.store.WriteHostValue("Cmd", text, kLinkKey);
    services_.bus.PostToolNotify(NotifyCommand);
}

void HostLink::SendSegmentCommand(int segment) {
    const std::string commandTemplate =
        ReadInterfaceTemplate("ActiveSeg", kSegmentTemplateSize, ":TRAC:SEL ");
    SendHostCommand(ApplyTemplate(commandTemplate, std::to_string(segment)));
}

void HostLink::SendChannelCommand(int channel) {
    const std::string commandTemplate =
        ReadInterfaceTemplate("ActiveCh", kChannelTemplateSize, ":INST ");
    SendHostCommand(ApplyTemplate(commandTemplate, std::to_string(channel + 1)));
}

bool HostLink::DownloadWaveform(const DownloadRequest& request) {
    switch (mode_.DownloadKind()) {
    case LinkMode::Download::FmWaveform:
        DownloadFm(request);
        return true;
    case LinkMode::Download::Segment:
        DownloadSegment(request.segment, request.channel, request.lengthPoints, 0.0);
        return true;
    case LinkMode::Download::PulseDesign:
        return DownloadDesign(request);
    }
    return false;
}

bool HostLink::DownloadDesign(const DownloadRequest& request) {
    if (!request.renderPulse) {
        return false;
    }
    const PulseRendering rendering = request.renderPulse();
    if (!rendering.succeeded) {
        return false;
    }
    if (rendering.asSequence) {
        services_.bus.PostToolNotify(NotifyDownloadSequence);
        return true;
    }
    DownloadSegment(request.segment, request.channel, rendering.lengthPoints,
                    rendering.sampleClock);
    return true;
}

std::string HostLink::LeftOutOfDownload(const DownloadRequest& request) const {
    if (mode_.DownloadKind() != LinkMode::Download::FmWaveform || mode_.HasMarkerFile() ||
        request.fmMarkersInWindow <= 0) {
        return {};
    }
    const int count = request.fmMarkersInWindow;
    return std::to_string(count) + (count == 1 ? " FM marker" : " FM markers") +
           " not sent: a wide-FM family has no marker file";
}

void HostLink::NotifyDeactivated() {
    services_.bus.PostToolNotify(::NotifyDeactivated);
}

void HostLink::NotifyDocumentClosed() {
    DeleteFileIfExists(UserFile(kDownloadFileName));
    services_.bus.PostToolNotify(mode_.ClosingNotify());
}

std::string HostLink::ApplyTemplate(const std::string& commandTemplate,
                                    const std::string& argument) {
    std::string command = commandTemplate;
    const std::size_t blank = command.find(' ');
    if (blank != std::string::npos && blank > 0) {
        command.resize(blank + 1);
    }
    return command + argument;
}

std::string HostLink::ComposeDownloadCommand(const std::string& familyName, const LinkMode& mode,
                                             int segment, double lengthPoints, double sampleClock) {
    const std::string seg = std::to_string(segment);
    const std::string len = WholePoints(lengthPoints);
    std::string command;
    if (familyName == "G4270") {
        command = seg + " " + len;
    } else {
        command = mode.DownloadCommandPrefix(sampleClock) + ":TRAC:DEF " + seg + "," + len +
                  ";:TRAC:SEL " + seg;
    }
    if (command.size() > kCommandLimit) {
        command.resize(kCommandLimit);
    }
    return command;
}

std::string HostLink::ReadInterfaceTemplate(const char* key, int size, const char* fallback) {
    std::string value;
    ProfileStore& store = services_.store;
    if (!store.ReadProfileText("Interface", key, value, size, store.FamilyFile(), true)) {
        return fallback;
    }
    return value;
}

void HostLink::DownloadFm(const DownloadRequest& request) {
    // Without its marker file the host would download the markers of an earlier run.
    if (mode_.HasMarkerFile() && !WriteMarkerFile(request.fmMarkers)) {
        return;
    }
    services_.bus.PostToolNotify(NotifyDownloadFm);
}

void HostLink::DownloadSegment(int segment, int channel, double lengthPoints, double sampleClock) {
    const AppState& state = services_.state;
    ProfileStore& store = services_.store;
    store.WriteHostValue(
        "Cmd", ComposeDownloadCommand(state.familyName, mode_, segment, lengthPoints, sampleClock),
        kLinkKey);

    // Not quiet: a segment without a file is reported, and the host is still told, with
    // the store's "noo" in place of the path.
    const std::string key = SegmentKey(segment, channel);
    std::string waveFile;
    store.ReadProfileText("SegmTbl", key, waveFile, kPathBufferSize, store.ContextFile(), false);
    store.WriteHostValue("wFile", waveFile, kLinkKey);

    services_.bus.PostToolNotify(NotifyDownloadSegment);
    store.WriteProfileText("SegmStt", key, "Loaded", store.ContextFile());
}

bool HostLink::WriteMarkerFile(const std::vector<std::int32_t>& markers) const {
    std::string bytes;
    bytes.reserve(markers.size() * 4);
    for (std::int32_t marker : markers) {
        const auto value = static_cast<std::uint32_t>(marker);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    std::string error;
    if (AtomicFileWriter::WriteWhole(UserFile(kMarkerFileName), bytes, &error)) {
        return true;
    }
    services_.ui.ShowText("The FM markers could not be handed to the host:\n" + error +
                              "\nNothing was downloaded.",
                          "", MessageButtons::Ok, MessageIcon::Error);
    return false;
}

std::string HostLink::UserFile(const char* name) const {
    return services_.state.userFolder + kPathSeparator + name;
}
