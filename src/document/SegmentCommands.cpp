#include "document/SegmentCommands.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/LongJob.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentView.h"
#include "document/WaveDoc.h"
#include "settings/FileHelpers.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <cmath>

namespace {

constexpr std::size_t kDefaultLength = 1024;

} // namespace

SegmentCommands::SegmentCommands(WaveDoc& document, AppServices& services)
    : document_(document), services_(services), segments_(services) {}

SegmentCommands::SlotFile SegmentCommands::LoadOrCreate(const std::string& file) {
    if (FileExists(file)) {
        LongJob job(services_.ui, "Loading " + file);
        document_.LoadWaveform(file, true, job.Stage(1.0));
        return SlotFile::Loaded;
    }
    document_.CreateDefault(kDefaultLength);
    const bool written = document_.WriteWaveform(file);
    document_.ShowLength();
    return written ? SlotFile::Created : SlotFile::Unwritten;
}

void SegmentCommands::OpenActiveSegment() {
    AppState& state = services_.state;
    if (!document_.Mode().PseudoSegment()) {
        state.activeChannel = segments_.ReadActiveChannel();
        state.activeSegment = segments_.ReadActiveSegment(state.activeChannel);
    }
    const auto [segment, channel] = document_.ActiveSlot();
    const std::string file = segments_.FileOf(segment, channel);
    switch (LoadOrCreate(file)) {
    case SlotFile::Unwritten:
        // Nothing on disk to enter in the table; the waveform lives in this run only, and
        // Save asks for a name.
        document_.AdoptFile(file);
        document_.ForgetFileName();
        return;
    case SlotFile::Created:
        segments_.Enter(segment, channel, file);
        document_.AdoptFile(file);
        break;
    case SlotFile::Loaded:
        // A file that could not be loaded does not become the current file: an edit would
        // overwrite it with a waveform it never held.
        if (document_.Mode().SamplesInHz()) {
            document_.RecomputeFmWindow();
        }
        document_.RememberOpenedFile(file);
        break;
    }
    if (document_.IsFmDocument()) {
        document_.RebuildMarkerBar();
        document_.RebuildMarkerSamples();
    }
}

void SegmentCommands::SwitchSegment() {
    AppState& state = services_.state;
    ProfileStore& store = services_.store;
    DocumentView* view = document_.View();

    store.WriteProfileText("Modif", "Common", "Yes", store.ContextFile());
    if (!document_.Mode().PseudoSegment()) {
        state.activeSegment = segments_.ReadActiveSegment(state.activeChannel);
    }
    const auto [segment, channel] = document_.ActiveSlot();
    const std::string file = segments_.FileOf(segment, channel);
    document_.AdoptFile(file);
    // A file that could not be written is not entered: the host would find nothing there.
    if (LoadOrCreate(file) != SlotFile::Unwritten) {
        segments_.Enter(segment, channel, file);
    }

    if (view != nullptr) {
        if (!document_.IsFmDocument()) {
            view->ShowSegmentText(std::to_string(state.activeSegment));
        } else if (document_.Mode().SegmentFieldShowsDeviation()) {
            view->ShowSegmentText(document_.Fm().DeviationFieldText());
        }
    }
    document_.ResetAnchors();
    document_.Undo().Discard();
    if (view != nullptr) {
        view->UpdateAllViews();
    }
}

void SegmentCommands::OnSegmentField(const std::string& fieldText) {
    // The FM editor has its one pseudo-segment; there the field holds the deviation.
    if (document_.IsFmDocument()) {
        return;
    }
    AppState& state = services_.state;
    const std::string text = fieldText.substr(0, 80);
    double parsed = 0.0;
    ParseLeadingDouble(text.c_str(), text.size(), parsed);
    const double n = std::trunc(parsed);
    const bool valid = document_.Limits().IsValidSegment(n);
    if (valid && n == state.activeSegment) {
        return;
    }
    if (!valid) {
        if (DocumentView* view = document_.View()) {
            view->ShowSegmentText(std::to_string(state.activeSegment));
        }
        services_.ui.ShowMessage(MsgValueOutOfRange);
        return;
    }
    // A choice the context file cannot record is neither sent to the host nor loaded.
    if (!segments_.SetActiveSegment(static_cast<int>(n))) {
        if (DocumentView* view = document_.View()) {
            view->ShowSegmentText(std::to_string(state.activeSegment));
        }
        return;
    }
    state.activeSegment = static_cast<int>(n);
    if (sendSegmentCommand) {
        sendSegmentCommand(state.activeSegment);
    }
    SwitchSegment();
}

void SegmentCommands::OnChannelCommand(int commandId) {
    AppServices& services = services_;
    const int channel = commandId - kChannel1Command;
    if (channel == services.state.activeChannel) {
        return;
    }
    if (!services.store.WriteProfileText("Settings", "ActiveCh", std::to_string(channel),
                                         services.store.ContextFile())) {
        return;
    }
    services.state.activeChannel = channel;
    if (sendChannelCommand) {
        sendChannelCommand(channel);
    }
    SwitchSegment();
}

bool SegmentCommands::ChannelCommandEnabled() const {
    return document_.Limits().ChannelCount() > 1;
}

bool SegmentCommands::ChannelCommandChecked(int commandId) const {
    return document_.Limits().ChannelCount() >= 2 &&
           commandId - kChannel1Command == services_.state.activeChannel;
}

void SegmentCommands::ReloadSharedState() {
    AppState& state = services_.state;
    ProfileStore& store = services_.store;
    if (document_.IsFmDocument()) {
        const bool changed = document_.ReloadFmSettings();
        // Only the bar follows a reload; the marker sample list waits for the next
        // change of the waveform or the markers.
        if (changed) {
            document_.RebuildMarkerBar();
            if (DocumentView* view = document_.View()) {
                view->UpdateAllViews();
            }
        }
        return;
    }
    const double channel = store.ReadProfileNumber("ActiveCh", 0, "Settings", kMissingNumber);
    if (channel != kMissingNumber) {
        state.activeChannel = static_cast<int>(channel);
    }
    state.activeSegment = segments_.ReadActiveSegment(state.activeChannel);
}

void SegmentCommands::Resync() {
    ReloadSharedState();
    SwitchSegment();
}
