#include "document/WaveDoc.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/HostBus.h"
#include "core/LongJob.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentView.h"
#include "document/UndoSetAside.h"
#include "document/WaveFileWriter.h"
#include "document/WaveformFiles.h"
#include "settings/FileHelpers.h"
#include "settings/NumberFormat.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

// The share of a change's progress bar that the undo copy takes; the write takes the rest
// (the change in memory is quick beside them).
constexpr double kUndoCopyShare = 0.5;

constexpr double kFmNeutralCode = 500000000.0;

} // namespace

WaveDoc::WaveDoc(AppServices& services, const DocumentMode& mode, WaveformConversion* conversion)
    : services_(services), mode_(mode), conversion_(conversion), segments_(services),
      fm_(services, mode), samples_(mode.Kind()),
      files_(services.state.userFolder + kPathSeparator) {
    AppState& state = services_.state;
    state.activeChannel = segments_.ReadActiveChannel();
    state.activeSegment = segments_.ReadActiveSegment(state.activeChannel);
    if (mode_.HasFmFields()) {
        LoadFmLimits();
    }
    limits_ = FamilyLimits::Read(services_, mode_, mode_.HasFmFields() ? &fm_.Settings() : nullptr);
    length_ = limits_.InitialLength();
    undo_ = UndoStore(state.userFolder + kPathSeparator + mode_.UndoFileName());
}

WaveDoc::~WaveDoc() {
    samples_ = SampleBuffer(samples_.Kind());
    DeleteFileIfExists(files_.DownloadFile());
    services_.bus.PostToolNotify(mode_.ClosingNotify());
}

const AppState& WaveDoc::State() const {
    return services_.state;
}

ProfileStore& WaveDoc::Store() const {
    return services_.store;
}

UserInterface& WaveDoc::Ui() const {
    return services_.ui;
}

void WaveDoc::NoteLastFile(const std::string& path) {
    services_.state.lastFilePath = path;
}

void WaveDoc::SetView(DocumentView* view) {
    view_ = view;
    if (view_ != nullptr && pendingClose_) {
        pendingClose_ = false;
        view_->RequestClose();
    }
}

void WaveDoc::LoadFmLimits() {
    fm_.Load(
        [this] {
            if (view_ != nullptr) {
                view_->RequestClose();
            } else {
                pendingClose_ = true;
            }
        },
        [this] {
            RebuildMarkerBar();
            RebuildMarkerSamples();
            if (view_ != nullptr) {
                view_->UpdateAllViews();
            }
        });
}

std::pair<int, int> WaveDoc::ActiveSlot() const {
    const AppState& state = services_.state;
    if (const std::optional<int> pseudo = mode_.PseudoSegment()) {
        return {*pseudo, 0};
    }
    return {state.activeSegment, state.activeChannel};
}

std::string WaveDoc::ActiveWorkingFile() const {
    const auto [segment, channel] = ActiveSlot();
    return segments_.SegmentFilePath(segment, channel);
}

double WaveDoc::NeutralValue() const {
    if (samples_.Kind() == SampleKind::Code32) {
        return kFmNeutralCode;
    }
    return samples_.Kind() == SampleKind::Hz64 ? Fm().Base() : 0.0;
}

void WaveDoc::ShowLength() {
    if (view_ != nullptr) {
        view_->ShowLengthText(std::to_string(static_cast<long long>(length_)));
    }
}

void WaveDoc::KeepPoints(std::size_t first, std::size_t n) {
    HideMap();
    const std::size_t from = std::min(first, samples_.Size());
    SampleBuffer kept(samples_.Kind());
    kept.AssignBytes(std::min(n, samples_.Size() - from),
                     static_cast<const char*>(samples_.Bytes()) + from * samples_.ElementWidth());
    samples_ = std::move(kept);
    length_ = static_cast<double>(samples_.Size());
    ShowLength();
}

void WaveDoc::HideMap() {
    if (view_ != nullptr) {
        view_->HideWaveformMap();
    }
}

void WaveDoc::ResetAnchors() {
    if (view_ != nullptr) {
        view_->SetAnchors(0, length_ - 1);
        view_->UpdateAllViews();
    }
}

void WaveDoc::ApplyTitle() {
    if (view_ == nullptr) {
        return;
    }
    view_->SetMainTitle(mode_.WindowTitle(files_.Current()));
}

std::string WaveDoc::ConvertIfText(const std::string& path) {
    if (WaveformFiles::HasBinaryMark(path)) {
        return path;
    }
    return conversion_ != nullptr ? conversion_->ToBinary(path) : std::string();
}

bool WaveDoc::LoadWaveform(const std::string& requestedPath, bool adopt,
                           const ProgressCallback& progress) {
    if (loadingGuard_) {
        return false;
    }
    const std::string path = ConvertIfText(requestedPath);
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        services_.ui.ShowText("Cannot read the waveform file\n" + path, "", MessageButtons::Ok,
                              MessageIcon::Exclamation);
        return false;
    }
    const int width = samples_.ElementWidth();
    double points = static_cast<double>(RecordCount(path, width));
    if (limits_.RefuseOversize(services_, path, static_cast<long long>(points))) {
        return false;
    }
    const double lengthBefore = length_;
    if (adopt) {
        loadingGuard_ = true;
        const auto checked = CheckLength(points);
        loadingGuard_ = false;
        if (!checked) {
            return false;
        }
        if (*checked != points) {
            std::string error;
            if (!WaveformFiles::Resize(path, static_cast<unsigned long long>(*checked) * width,
                                       &error)) {
                ReportWriteFailure(error);
                return false;
            }
            points = *checked;
        }
        length_ = points;
        ShowLength();
    }
    HideMap();
    // Read beside the waveform, so that a stop keeps it; the memory check left room.
    const auto count = static_cast<std::size_t>(points);
    SampleBuffer loaded(samples_.Kind());
    const bool read = WaveformFiles::ReadSamples(path, count, loaded, progress);
    if (!read && count > 0 && loaded.Size() == count) {
        length_ = lengthBefore;
        ShowLength();
        return false;
    }
    if (read) {
        samples_ = std::move(loaded);
    }
    length_ = points;
    if (mode_.HasFmFields()) {
        RebuildMarkerSamples();
    }
    if (adopt) {
        files_.MoveTo(path);
    }
    return true;
}

bool WaveDoc::WriteWaveform(const std::string& requestedPath, const ProgressCallback& progress) {
    const std::string& path = requestedPath.empty() ? files_.Current() : requestedPath;
    std::string error;
    if (WaveFileWriter::WriteWaveform(samples_, path, &error, progress)) {
        return true;
    }
    if (error.empty()) {
        return false;
    }
    ReportWriteFailure(error);
    return false;
}

void WaveDoc::ReportWriteFailure(const std::string& reason) {
    TellFailure("The waveform could not be saved:\n" + reason,
                "\nThe files keep their previous content.");
}

void WaveDoc::TellFailure(const std::string& what, const char* outcome) {
    writeFailed_ = true;
    services_.ui.ShowText(what + outcome, "", MessageButtons::Ok, MessageIcon::Error);
}

void WaveDoc::ReloadCurrentFile() {
    if (FileExists(files_.Current())) {
        LoadWaveform(files_.Current(), false);
    }
    ShowLength();
    if (view_ != nullptr) {
        view_->UpdateAllViews();
    }
}

void WaveDoc::CreateDefault(std::size_t n) {
    length_ = static_cast<double>(n);
    if (mode_.SamplesInHz()) {
        samples_.Assign(n, fm_.StoredCarrier());
        RecomputeFmWindow();
        return;
    }
    samples_.Assign(n, NeutralValue());
}

bool WaveDoc::CanWriteChange(double newPoints) {
    const std::string problem =
        WaveformFiles::WriteProblem(ActiveWorkingFile(), files_.Current(),
                                    static_cast<unsigned long long>(std::max(newPoints, 0.0)) *
                                        static_cast<unsigned long long>(samples_.ElementWidth()));
    if (problem.empty()) {
        return true;
    }
    TellFailure("The waveform could not be saved:\n" + problem, "\nThe waveform was not changed.");
    return false;
}

bool WaveDoc::SnapshotForUndo(const std::string& target, double newPoints,
                              const ProgressCallback& progress) {
    if (target.empty() && !CanWriteChange(newPoints < 0 ? length_ : newPoints)) {
        return false;
    }
    const CopyResult result = undo_.SnapshotForUndo(files_.Current(), target, progress);
    if (result.copied || result.sourceMissing) {
        return true;
    }
    if (result.cancelled) {
        return false;
    }
    TellFailure("The undo copy could not be written:\n" + result.error,
                "\nThe waveform was not changed.");
    return false;
}

void WaveDoc::EnterInSegmentTable(const std::string& path) {
    const auto [segment, channel] = ActiveSlot();
    segments_.Enter(segment, channel, path);
}

bool WaveDoc::CommitToWorkingFile(const ProgressCallback& progress) {
    const std::string working = ActiveWorkingFile();
    if (!WriteWaveform(working, progress)) {
        ReloadCurrentFile();
        return false;
    }
    files_.MoveTo(working);
    EnterInSegmentTable(working);
    // The marker positions handed to the host and drawn as dots follow every change of
    // the waveform, not only loads and generations.
    if (mode_.HasFmFields()) {
        RebuildMarkerSamples();
    }
    return true;
}

bool WaveDoc::ApplyChange(const std::string& what, const std::function<bool()>& change,
                          double newPoints) {
    LongJob job(services_.ui, what);
    UndoSetAside previousUndo(undo_);
    if (!SnapshotForUndo({}, newPoints, job.Stage(kUndoCopyShare))) {
        if (job.Cancelled()) {
            previousUndo.Cancel();
        }
        return false;
    }
    if (!change()) {
        return false;
    }
    if (!CommitToWorkingFile(job.Stage(1.0 - kUndoCopyShare))) {
        if (job.Cancelled()) {
            previousUndo.Cancel();
        }
        return false;
    }
    return true;
}

void WaveDoc::SetLength(const std::string& fieldText) {
    const std::string text = fieldText.substr(0, 20);
    double parsed = 0.0;
    ParseLeadingDouble(text.c_str(), text.size(), parsed);
    double n = std::trunc(parsed);
    if (n == length_) {
        ShowLength();
        return;
    }
    if (!limits_.LengthInRange(n)) {
        services_.ui.ShowMessage(MsgValueOutOfRange);
        ShowLength();
        return;
    }
    const auto checked = CheckLength(n);
    if (!checked) {
        ShowLength();
        return;
    }
    n = *checked;
    if (view_ != nullptr && limits_.ResolutionApplies()) {
        view_->ShowLengthText(std::to_string(static_cast<long long>(n)));
    }
    // The file and the memory hold the same samples; making sure the file exists
    // lets the resize read the old samples back from the snapshot instead of
    // keeping a second array.
    if (!FileExists(CurrentPath()) && !WriteWaveform(CurrentPath())) {
        ShowLength();
        return;
    }
    const bool changed = ApplyChange(
        "Changing the length",
        [this, n] {
            HideMap();
            if (!WaveformFiles::ReadResized(undo_.Path(), static_cast<std::size_t>(n),
                                            NeutralValue(), samples_)) {
                // The copy just written is gone or short: never build a waveform from it.
                ReportWriteFailure("cannot read " + undo_.Path() + " back");
                ReloadCurrentFile();
                return false;
            }
            length_ = n;
            return true;
        },
        n);
    if (changed) {
        ResetAnchors();
    } else {
        ShowLength();
    }
}

void WaveDoc::AdoptFile(const std::string& path) {
    files_.MoveTo(path);
    files_.NameAfter(path);
}

void WaveDoc::AdoptSavedFile(const std::string& path, SavedMark mark) {
    const auto [segment, channel] = ActiveSlot();
    std::string entry = path;
    segments_.EnterFile(segment, channel, entry, mark);
    files_.MoveTo(path);
    files_.NameExactly(path);
}

void WaveDoc::ReturnToWorkingFile() {
    files_.MoveTo(ActiveWorkingFile());
    ReloadCurrentFile();
}
