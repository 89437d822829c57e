#include "app/ToolSession.h"

#include "core/AppState.h"
#include "document/DocumentMode.h"
#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "document/FormatConverter.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "link/HostLink.h"
#include "pulse/PulseDownload.h"

namespace {

// A file named by the segment table that the extension rules cannot read makes the
// document start anew with this many points.
constexpr std::size_t kLengthAfterFailedConversion = 1000;

} // namespace

ToolSession::ToolSession(const ProcessFacts& facts, UserInterface& ui, HostBus& bus)
    : app_(facts, ui), services_{app_.State(), app_.Store(), ui, bus} {}

ToolSession::~ToolSession() {
    // The document goes first: its destruction still tells the host through the bus.
    segments_.reset();
    files_.reset();
    document_.reset();
}

bool ToolSession::Start() {
    if (!app_.InitInstance()) {
        return false;
    }
    const AppState& state = services_.state;
    // The start-up facts become the run's mode here, once; everything else asks the mode.
    mode_ = &DocumentMode::For(state.mode, state.wideFmSamples);
    link_ = std::make_unique<HostLink>(services_, *mode_);
    chooser_ = std::make_unique<FileChooser>(state, services_.ui, *mode_);
    WaveformConversion* conversion = this;
    document_ = std::make_unique<WaveDoc>(services_, *mode_, conversion);
    files_ = std::make_unique<FileCommands>(*document_, *chooser_);
    segments_ = std::make_unique<SegmentCommands>(*document_, services_);
    pulse_ = std::make_unique<PulseDownload>(services_);

    segments_->sendSegmentCommand = [this](int segment) { link_->SendSegmentCommand(segment); };
    segments_->sendChannelCommand = [this](int channel) { link_->SendChannelCommand(channel); };
    document_->SendFmCommandsWith(
        [this](const std::string& command) { link_->SendHostCommand(command); });
    return true;
}

std::string ToolSession::ToBinary(const std::string& path) {
    std::string converted = path;
    FormatConverter converter(services_.state, services_.store, *mode_);
    const auto result = converter.ConvertToBinary(
        converted, -1, {document_->Limits().VerticalLow(), document_->Limits().VerticalHigh()});
    if (result == ConversionResult::NotConvertible) {
        files_->NewWaveformOf(kLengthAfterFailedConversion);
        return std::string();
    }
    return converted;
}

std::string ToolSession::DownloadWaveform() {
    const AppState& state = services_.state;
    DownloadRequest request;
    request.segment = state.activeSegment;
    request.channel = state.activeChannel;
    request.lengthPoints = document_->Length();
    request.fmMarkers = document_->FmMarkers().SampleList();
    request.fmMarkersInWindow = document_->FmMarkers().InsideCount();
    request.renderPulse = [this] {
        const PulseRendering rendering = pulse_->Render(services_.ui);
        if (rendering.succeeded && !rendering.asSequence) {
            document_->TakeRenderedLength(rendering.lengthPoints);
        }
        return rendering;
    };
    return link_->DownloadWaveform(request) ? link_->LeftOutOfDownload(request) : std::string();
}
