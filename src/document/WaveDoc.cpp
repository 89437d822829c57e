#include "document/WaveDoc.h"

#include "core/AppState.h"
#include "core/HostBus.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentView.h"
#include "document/WaveFileWriter.h"
#include "settings/AppServices.h"
#include "settings/AtomicFileWriter.h"
#include "settings/FileHelpers.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

namespace {

constexpr int kNumberText = 80;
constexpr double kFmNeutralCode = 500000000.0;
constexpr std::size_t kDefaultLength = 1024;
// A file this many times longer than the family's highest length is refused instead of
// allocated: it cannot be a waveform of this instrument.
constexpr double kOversizeFactor = 4.0;

// The numbers of a family value, after `skipWords` leading words.
std::vector<double> NumbersOf(const std::string& text, int skipWords) {
    std::istringstream words(text);
    std::string word;
    std::vector<double> numbers;
    for (int i = 0; words >> word; ++i) {
        double value = 0.0;
        if (i >= skipWords && ParseWholeDouble(word, value)) {
            numbers.push_back(value);
        }
    }
    return numbers;
}

SampleKind KindOf(const AppState& state) {
    if (!state.IsFm()) {
        return SampleKind::Code16;
    }
    return state.wideFmSamples ? SampleKind::Hz64 : SampleKind::Code32;
}

bool HasBinaryMark(const std::string& path) {
    return path.find(".w") != std::string::npos || path.find(".W") != std::string::npos;
}

} // namespace

WaveDoc::WaveDoc(AppServices& services)
    : services_(services), segments_(services), fm_(services), samples_(KindOf(services.state)) {
    AppState& state = services_.state;
    fmDocument_ = state.IsFm();
    state.activeChannel = segments_.ReadActiveChannel();
    state.activeSegment = segments_.ReadActiveSegment(state.activeChannel);
    // The channel commands of every mode (the FM and pulse Download menus have them too)
    // are enabled by the instrument's channel count.
    channelCount_ = static_cast<int>(
        services_.store.ReadProfileNumber("Channels", 0, "Instrument", kMissingNumber));
    if (channelCount_ < 1) {
        channelCount_ = 1;
    }
    if (!state.IsPulse()) {
        if (fmDocument_) {
            ReadFmLimits();
        } else {
            ReadStandardLimits();
        }
    }
    undo_ =
        UndoStore(state.userFolder + kPathSeparator + "Undo" + (fmDocument_ ? "FS.wvf" : "SM.wav"));
    workingFolder_ = state.userFolder + kPathSeparator;
    ReadResolutionFactor();
}

WaveDoc::~WaveDoc() {
    samples_ = SampleBuffer(samples_.Kind());
    DeleteFileIfExists(workingFolder_ + "^^Dwn.wav");
    services_.bus.PostToolNotify(fmDocument_ ? NotifyClosingFm : NotifyClosing);
}

void WaveDoc::ReadStandardLimits() {
    AppState& state = services_.state;
    ProfileStore& store = services_.store;
    std::string text;
    if (store.ReadProfileText("Axis", "HRange", text, kNumberText, store.FamilyFile(), false)) {
        const auto numbers = NumbersOf(text, 0);
        if (numbers.size() >= 3) {
            length_ = std::trunc(numbers[0]);
            lengthLow_ = numbers[1];
            lengthHigh_ = numbers[2];
        }
    }
    if (store.ReadProfileText("ParmLst", "ActiveSeg", text, kNumberText, store.FamilyFile(),
                              false)) {
        const auto numbers = NumbersOf(text, 2);
        if (numbers.size() >= 2) {
            secondLow_ = numbers[0];
            secondHigh_ = numbers[1];
        }
    }
    // Read again when the view is first activated.
    state.activeSegment = 0;
    std::string format;
    const bool hasFormat =
        store.ReadProfileText("Settings", "Wfmt", format, kNumberText, store.ContextFile(), true);
    const std::string key = hasFormat ? "Vpts" + format : "Vpts";
    if (store.ReadProfileText("Axis", key, text, kNumberText, store.FamilyFile(), false)) {
        const auto numbers = NumbersOf(text, 0);
        if (numbers.size() >= 2) {
            verticalLow_ = numbers[0];
            verticalHigh_ = numbers[1];
        }
    }
    state.verticalSpan = static_cast<int>(verticalHigh_ - verticalLow_);
}

void WaveDoc::SetView(DocumentView* view) {
    view_ = view;
    if (view_ != nullptr && pendingClose_) {
        pendingClose_ = false;
        view_->RequestClose();
    }
}

void WaveDoc::ReadFmLimits() {
    fm_.onCloseRequest = [this] {
        if (view_ != nullptr) {
            view_->RequestClose();
        } else {
            pendingClose_ = true;
        }
    };
    fm_.LoadLimits();
    lengthLow_ = fm_.minLength;
    lengthHigh_ = fm_.maxLength;
    secondLow_ = fm_.lowerLimit;
    secondHigh_ = fm_.upperLimit;
    if (fm_.length > 0) {
        length_ = fm_.length;
    }
    verticalLow_ = fm_.fmin;
    verticalHigh_ = fm_.fmax;
}

void WaveDoc::ReadResolutionFactor() {
    ProfileStore& store = services_.store;
    std::string clock;
    const bool hasClock =
        store.ReadProfileText("Settings", "Rsclk", clock, kNumberText, store.ContextFile(), true);
    const std::string key = hasClock ? "resFactor" + clock : "resFactor";
    std::string text;
    double value = 0.0;
    if (store.ReadProfileText("Axis", key, text, kNumberText, store.FamilyFile(), true) &&
        ParseLeadingDouble(text.c_str(), text.size(), value) > 0) {
        resolutionFactor_ = static_cast<int>(value);
    } else {
        resolutionFactor_ = 2;
    }
}

int WaveDoc::FmPseudoSegment() const {
    return services_.state.wideFmSamples ? -2 : -1;
}

std::string WaveDoc::ActiveWorkingFile() const {
    const AppState& state = services_.state;
    if (fmDocument_) {
        return segments_.SegmentFilePath(FmPseudoSegment(), 0);
    }
    return segments_.SegmentFilePath(state.activeSegment, state.activeChannel);
}

bool WaveDoc::IsInWorkingFolder(const std::string& path) const {
    return StartsWithNoCase(path, workingFolder_);
}

double WaveDoc::NeutralValue() const {
    switch (samples_.Kind()) {
    case SampleKind::Code32:
        return kFmNeutralCode;
    case SampleKind::Hz64:
        return fm_.base;
    default:
        return 0.0;
    }
}

void WaveDoc::ShowLength() {
    if (view_ != nullptr) {
        view_->ShowLengthText(std::to_string(static_cast<long long>(length_)));
    }
}

void WaveDoc::KeepFirstPoints(std::size_t n) {
    HideMap();
    SampleBuffer kept(samples_.Kind());
    kept.AssignBytes(std::min(n, samples_.Size()), samples_.Bytes());
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
    const AppState& state = services_.state;
    if (state.IsPulse()) {
        view_->SetMainTitle(ModeTitle(state.mode));
    } else {
        view_->SetMainTitle(std::string(ModeTitle(state.mode)) + ShortenPath(currentPath_));
    }
}

std::string WaveDoc::ConvertIfText(const std::string& path) {
    if (HasBinaryMark(path)) {
        return path;
    }
    return convertByExtension ? convertByExtension(path) : std::string();
}

void WaveDoc::LoadActiveSegment() {
    AppState& state = services_.state;
    int segment = FmPseudoSegment();
    int channel = 0;
    if (!fmDocument_) {
        state.activeChannel = segments_.ReadActiveChannel();
        state.activeSegment = segments_.ReadActiveSegment(state.activeChannel);
        segment = state.activeSegment;
        channel = state.activeChannel;
    }
    std::string path;
    if (!segments_.SegmentEntry(segment, channel, path)) {
        path = segments_.SegmentFilePath(segment, channel);
    }
    if (!FileExists(path)) {
        CreateDefault(kDefaultLength);
        if (!WriteWaveform(path)) {
            // Nothing on disk to enter in the table; the waveform lives in this run only.
            currentPath_ = path;
            ShowLength();
            visibleFileName_.clear();
            return;
        }
        std::string entry = path;
        segments_.SegmentEntry(segment, channel, entry);
        currentPath_ = path;
        ShowLength();
    } else {
        const std::string binary = ConvertIfText(path);
        if (!binary.empty()) {
            LoadWaveform(binary, true);
        }
        if (services_.state.wideFmSamples) {
            fm_.RecomputeFmWindow(samples_.Values64(), static_cast<long long>(length_));
        }
    }
    visibleFileName_ = IsInWorkingFolder(path) ? std::string() : path;
}

std::optional<double> WaveDoc::CheckLength(double n) {
    const double r = resolutionFactor_;
    if (std::fmod(n, r) == 0.0) {
        return n;
    }
    if (services_.ui.ShowMessage(MsgWavelengthResolution, MessageButtons::OkCancel) !=
        MessageAnswer::Ok) {
        return std::nullopt;
    }
    const double corrected = std::trunc(n / r + 0.5) * r;
    if (corrected == 0.0) {
        return std::nullopt;
    }
    return corrected;
}

bool WaveDoc::ResizeFile(const std::string& path, unsigned long long bytes, std::string* error) {
    AtomicFileWriter out(path);
    if (!out.Open()) {
        return out.ErrorTo(error);
    }
    std::vector<char> chunk(static_cast<std::size_t>(std::min(bytes, 1ull << 20)));
    unsigned long long written = 0;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        std::size_t got = 0;
        while (written < bytes &&
               (got = std::fread(chunk.data(), 1,
                                 static_cast<std::size_t>(
                                     std::min<unsigned long long>(chunk.size(), bytes - written)),
                                 in)) > 0) {
            out.Write(chunk.data(), got);
            written += got;
        }
        std::fclose(in);
    }
    // A longer file gets zero points at its end.
    std::fill(chunk.begin(), chunk.end(), 0);
    while (written < bytes) {
        const auto n =
            static_cast<std::size_t>(std::min<unsigned long long>(chunk.size(), bytes - written));
        out.Write(chunk.data(), n);
        written += n;
    }
    return out.Commit() || out.ErrorTo(error);
}

bool WaveDoc::RefuseOversize(const std::string& path, long long points) {
    const double limit = std::max(lengthHigh_, 16000000.0) * kOversizeFactor;
    if (static_cast<double>(points) <= limit) {
        return false;
    }
    services_.ui.ShowText("The file\n" + path + "\nholds " + std::to_string(points) +
                              " points, far more than this instrument's highest length of " +
                              std::to_string(static_cast<long long>(lengthHigh_)) +
                              " points.\nThe file was not loaded.",
                          "", MessageButtons::Ok, MessageIcon::Exclamation);
    return true;
}

bool WaveDoc::ReadSamplesFrom(const std::string& path, std::size_t count) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    samples_.AllocateUninitialized(count);
    const std::size_t got = std::fread(samples_.Bytes(), 1, samples_.ByteSize(), in);
    std::fclose(in);
    // A file that shrank since it was measured: the missing tail reads as zero.
    if (got < samples_.ByteSize()) {
        std::memset(static_cast<char*>(samples_.Bytes()) + got, 0, samples_.ByteSize() - got);
    }
    return true;
}

bool WaveDoc::LoadWaveform(const std::string& requestedPath, bool adopt) {
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
    if (RefuseOversize(path, static_cast<long long>(points))) {
        return false;
    }
    if (adopt) {
        if (services_.state.mode == OperatingMode::Standard && resolutionFactor_ > 1) {
            loadingGuard_ = true;
            const auto checked = CheckLength(points);
            loadingGuard_ = false;
            if (!checked) {
                return false;
            }
            if (*checked != points) {
                std::string error;
                if (!ResizeFile(path, static_cast<unsigned long long>(*checked) * width, &error)) {
                    ReportWriteFailure(error);
                    return false;
                }
                points = *checked;
            }
        }
        length_ = points;
        ShowLength();
    }
    HideMap();
    ReadSamplesFrom(path, static_cast<std::size_t>(points));
    length_ = points;
    if (fmDocument_ && onFmWaveformLoaded) {
        onFmWaveformLoaded();
    }
    if (adopt) {
        currentPath_ = path;
    }
    return true;
}

bool WaveDoc::WriteWaveform(const std::string& requestedPath) {
    const std::string& path = requestedPath.empty() ? currentPath_ : requestedPath;
    std::string error;
    if (WaveFileWriter::WriteWaveform(samples_, path, &error)) {
        return true;
    }
    ReportWriteFailure(error);
    return false;
}

void WaveDoc::ReportWriteFailure(const std::string& reason) {
    writeFailed_ = true;
    services_.ui.ShowText("The waveform could not be saved:\n" + reason +
                              "\nThe files keep their previous content.",
                          "", MessageButtons::Ok, MessageIcon::Error);
}

void WaveDoc::ReloadCurrentFile() {
    if (FileExists(currentPath_)) {
        LoadWaveform(currentPath_, false);
    }
    ShowLength();
    if (view_ != nullptr) {
        view_->UpdateAllViews();
    }
}

void WaveDoc::CreateDefault(std::size_t n) {
    length_ = static_cast<double>(n);
    if (services_.state.wideFmSamples) {
        const double carrier =
            services_.store.ReadProfileNumber("FmCarFrq", 0, "Settings", kMissingNumber);
        samples_.Assign(n, carrier);
        fm_.RecomputeFmWindow(samples_.Values64(), static_cast<long long>(n));
        return;
    }
    samples_.Assign(n, NeutralValue());
}

bool WaveDoc::IsValidSegment(double n) const {
    return n >= 1 && n <= secondHigh_;
}

bool WaveDoc::CanWriteChange(double newPoints) {
    namespace fs = std::filesystem;
    const std::string working = ActiveWorkingFile();
    std::error_code error;
    const fs::file_status status = fs::status(working, error);
    std::string problem;
    if (!error && status.type() == fs::file_type::regular &&
        (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        problem = "cannot write " + working + ": Permission denied";
    }
    const std::uintmax_t current = std::filesystem::file_size(currentPath_, error);
    const std::uintmax_t needed =
        (error ? 0 : current) + static_cast<std::uintmax_t>(std::max(newPoints, 0.0)) *
                                    static_cast<std::uintmax_t>(samples_.ElementWidth());
    const fs::space_info room = fs::space(fs::path(working).parent_path(), error);
    if (problem.empty() && !error && room.available < needed) {
        problem = "cannot write " + working + ": No space left on device (" +
                  std::to_string(needed) + " bytes needed, " + std::to_string(room.available) +
                  " free)";
    }
    if (problem.empty()) {
        return true;
    }
    writeFailed_ = true;
    services_.ui.ShowText("The waveform could not be saved:\n" + problem +
                              "\nThe waveform was not changed.",
                          "", MessageButtons::Ok, MessageIcon::Error);
    return false;
}

bool WaveDoc::SnapshotForUndo(const std::string& target, double newPoints) {
    if (target.empty() && !CanWriteChange(newPoints < 0 ? length_ : newPoints)) {
        return false;
    }
    const CopyResult result = undo_.SnapshotForUndo(currentPath_, target);
    if (result.copied || result.sourceMissing) {
        return true;
    }
    writeFailed_ = true;
    services_.ui.ShowText("The undo copy could not be written:\n" + result.error +
                              "\nThe waveform was not changed.",
                          "", MessageButtons::Ok, MessageIcon::Error);
    return false;
}

void WaveDoc::EnterInSegmentTable(const std::string& path) {
    const AppState& state = services_.state;
    std::string entry = path;
    if (fmDocument_) {
        segments_.SegmentEntry(FmPseudoSegment(), 0, entry);
    } else {
        segments_.SegmentEntry(state.activeSegment, state.activeChannel, entry);
    }
}

void WaveDoc::ClearActiveModified() {
    const AppState& state = services_.state;
    segments_.ClearModified(fmDocument_ ? FmPseudoSegment() : state.activeSegment,
                            fmDocument_ ? 0 : state.activeChannel);
}

bool WaveDoc::CommitToWorkingFile() {
    const std::string working = ActiveWorkingFile();
    if (!WriteWaveform(working)) {
        ReloadCurrentFile();
        return false;
    }
    currentPath_ = working;
    EnterInSegmentTable(currentPath_);
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
    if (!(n >= lengthLow_ && n <= lengthHigh_)) {
        services_.ui.ShowMessage(MsgValueOutOfRange);
        ShowLength();
        return;
    }
    if (services_.state.mode == OperatingMode::Standard && resolutionFactor_ > 1) {
        const auto checked = CheckLength(n);
        if (!checked) {
            ShowLength();
            return;
        }
        n = *checked;
        if (view_ != nullptr) {
            view_->ShowLengthText(std::to_string(static_cast<long long>(n)));
        }
    }
    // The file and the memory hold the same samples; making sure the file exists lets the
    // resize read the old samples back from the snapshot instead of keeping a second array.
    if ((!FileExists(currentPath_) && !WriteWaveform(currentPath_)) || !SnapshotForUndo({}, n)) {
        ShowLength();
        return;
    }
    HideMap();

    const std::size_t newCount = static_cast<std::size_t>(n);
    const std::size_t kept = std::min(newCount, samples_.Size());
    const double neutral = NeutralValue();
    samples_.Assign(newCount, neutral);
    const std::size_t bytes = kept * samples_.ElementWidth();
    std::size_t got = 0;
    if (std::FILE* in = std::fopen(undo_.Path().c_str(), "rb")) {
        got = std::fread(samples_.Bytes(), 1, bytes, in);
        std::fclose(in);
    }
    if (got != bytes) {
        // The copy just written is gone or short: never build a waveform from it.
        ReportWriteFailure("cannot read " + undo_.Path() + " back");
        ReloadCurrentFile();
        return;
    }
    length_ = n;
    if (CommitToWorkingFile()) {
        ResetAnchors();
    }
}
