#include "document/FamilyLimits.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/DocumentMode.h"
#include "document/SampleBuffer.h"
#include "fm/FmSettings.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kNumberText = 80;
constexpr double kOversizeFactor = 4.0;

std::string PointText(double points) {
    return std::to_string(static_cast<long long>(points));
}

} // namespace

FamilyLimits FamilyLimits::Read(AppServices& services, const DocumentMode& mode,
                                const FmSettings* fm) {
    FamilyLimits limits;
    // The channel commands of every mode (the FM and pulse Download menus have
    // them too) are enabled by the instrument's channel count.
    limits.ReadChannelCount(services);
    if (!mode.RendersFromDesign()) {
        if (fm != nullptr) {
            limits.TakeFm(*fm);
        } else {
            limits.ReadStandard(services);
        }
    }
    limits.FitToMemory(services, ElementWidth(mode.Kind()));
    limits.ReadResolutionFactor(services);
    limits.bindsResolution_ = mode.BindsLengthToResolution();
    return limits;
}

void FamilyLimits::ReadChannelCount(AppServices& services) {
    channelCount_ = static_cast<int>(
        services.store.ReadProfileNumber("Channels", 0, "Instrument", kMissingNumber));
    if (channelCount_ < 1) {
        channelCount_ = 1;
    }
}

void FamilyLimits::ReadStandard(AppServices& services) {
    AppState& state = services.state;
    ProfileStore& store = services.store;
    std::string text;
    if (store.ReadProfileText("Axis", "HRange", text, kNumberText, store.FamilyFile(), false)) {
        const auto numbers = NumbersAfterWords(text, 0);
        if (numbers.size() >= 3) {
            initialLength_ = std::trunc(numbers[0]);
            lengthLow_ = numbers[1];
            lengthHigh_ = numbers[2];
        }
    }
    if (store.ReadProfileText("ParmLst", "ActiveSeg", text, kNumberText, store.FamilyFile(),
                              false)) {
        const auto numbers = NumbersAfterWords(text, 2);
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
        const auto numbers = NumbersAfterWords(text, 0);
        if (numbers.size() >= 2) {
            verticalLow_ = numbers[0];
            verticalHigh_ = numbers[1];
        }
    }
    state.verticalSpan = static_cast<int>(verticalHigh_ - verticalLow_);
}

void FamilyLimits::FitToMemory(AppServices& services, int elementWidth) {
    const unsigned long long bytes = services.state.physicalMemory;
    if (bytes == 0 || elementWidth <= 0) {
        return;
    }
    memoryPointsHigh_ = std::floor(static_cast<double>(bytes / 2 / elementWidth));
    if (lengthHigh_ <= memoryPointsHigh_) {
        return;
    }
    services.ui.ShowText(
        "The instrument family allows waveforms of up to " + PointText(lengthHigh_) +
            " points, but this computer's memory holds only " + PointText(memoryPointsHigh_) +
            " points.\nLonger waveforms will be refused.",
        "", MessageButtons::Ok, MessageIcon::Exclamation);
    lengthHigh_ = memoryPointsHigh_;
    lengthLow_ = std::min(lengthLow_, lengthHigh_);
    initialLength_ = std::min(initialLength_, lengthHigh_);
}

void FamilyLimits::TakeFm(const FmSettings& fm) {
    lengthLow_ = fm.MinLength();
    lengthHigh_ = fm.MaxLength();
    secondLow_ = fm.LowerLimit();
    secondHigh_ = fm.UpperLimit();
    if (fm.Length() > 0) {
        initialLength_ = fm.Length();
    }
    verticalLow_ = fm.Fmin();
    verticalHigh_ = fm.Fmax();
}

void FamilyLimits::ReadResolutionFactor(AppServices& services) {
    ProfileStore& store = services.store;
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

std::optional<double> FamilyLimits::CheckLength(AppServices& services, double n) const {
    const double r = resolutionFactor_;
    if (!ResolutionApplies() || std::fmod(n, r) == 0.0) {
        return n;
    }
    if (services.ui.ShowMessage(MsgWavelengthResolution, MessageButtons::OkCancel) !=
        MessageAnswer::Ok) {
        return std::nullopt;
    }
    const double corrected = std::trunc(n / r + 0.5) * r;
    if (corrected == 0.0) {
        return std::nullopt;
    }
    return corrected;
}

bool FamilyLimits::IsOversize(double points) const {
    return points > std::max(lengthHigh_, 16000000.0) * kOversizeFactor;
}

bool FamilyLimits::ExceedsMemory(double points) const {
    return memoryPointsHigh_ > 0 && points > memoryPointsHigh_;
}

bool FamilyLimits::RefuseOversize(AppServices& services, const std::string& path,
                                  long long points) const {
    std::string reason;
    if (IsOversize(static_cast<double>(points))) {
        reason = "far more than this instrument's highest length of " + PointText(lengthHigh_) +
                 " points";
    } else if (ExceedsMemory(static_cast<double>(points))) {
        reason = "more than this computer's memory can hold (" + PointText(memoryPointsHigh_) +
                 " points)";
    } else {
        return false;
    }
    services.ui.ShowText("The file\n" + path + "\nholds " + std::to_string(points) + " points, " +
                             reason + ".\nThe file was not loaded.",
                         "", MessageButtons::Ok, MessageIcon::Exclamation);
    return true;
}
