#include "fm/FmSettings.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "link/LinkMode.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileEdit.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

// Fields 3 and 4 of a family parameter line: "word word low high".
bool ReadParameterLine(ProfileStore& store, const char* section, const char* key, double& low,
                       double& high, double* second = nullptr) {
    std::string text;
    if (!store.ReadProfileText(section, key, text, 80, store.FamilyFile(), false)) {
        return false;
    }
    std::istringstream words(text);
    words.imbue(std::locale::classic());
    std::string first;
    std::string secondWord;
    words >> first >> secondWord;
    if (second != nullptr) {
        ParseWholeDouble(secondWord, *second);
    }
    std::string third;
    std::string fourth;
    words >> third >> fourth;
    double parsed = 0.0;
    if (ParseWholeDouble(third, parsed)) {
        low = parsed;
    }
    if (ParseWholeDouble(fourth, parsed)) {
        high = parsed;
    }
    return true;
}

std::string TrimmedFixed(double value) {
    std::string text = CrtFormat("%10.3f", value);
    TrimZeros(text);
    return text;
}

} // namespace

FmSettings::FmSettings(AppServices& services, const LinkMode& mode)
    : services_(services), mode_(&mode) {}

bool FmSettings::IsExactG4270() const {
    return services_.state.familyName == "G4270";
}

std::string FmSettings::DeviationKey() const {
    return "FmDev" + std::to_string(functionMode_);
}

bool FmSettings::LoadLimits() {
    ProfileStore& store = services_.store;
    functionMode_ = static_cast<int>(store.ReadProfileNumber("FmFuncMode", 0, "Settings", 0));
    ReadParameterLine(store, "FmSmith", "FmLen", minLength_, maxLength_);
    ReadParameterLine(store, "ParmLst", IsExactG4270() ? "FmCarFrq" : "Sclk", lowerLimit_,
                      upperLimit_);
    const int loaded = LoadFmSettings();
    length_ = static_cast<int>(store.ReadProfileNumber("FmLen", 0, "FmSmith", kMissingNumber));
    return loaded == 1;
}

std::string FmSettings::TidyDeviation(const char* format, double value) {
    std::string text = CrtFormat(format, value);
    StripExponentZeros(text);
    return text;
}

void FmSettings::WriteDeviationKey() {
    services_.store.WriteProfileText("Settings", DeviationKey(), TidyDeviation("%5.4g", deviation_),
                                     services_.store.ContextFile());
}

int FmSettings::LoadFmSettings() {
    ProfileStore& store = services_.store;
    functionMode_ = static_cast<int>(store.ReadProfileNumber("FmFuncMode", 0, "Settings", 0));
    if (!IsExactG4270()) {
        const int wformMode =
            static_cast<int>(store.ReadProfileNumber("WformMode", 0, "Settings", 0));
        base_ = wformMode != 0 ? store.ReadProfileNumber("Sclk", 0, "Settings", kMissingNumber)
                               : store.ReadProfileNumber("StdFmbase", 0, "FmSmith", kMissingNumber);
        if (std::FILE* log = std::fopen(services_.state.logFile.c_str(), "a")) {
            std::fprintf(log, " isStdWmode= %d\nfmbase=%s\n", wformMode,
                         CrtFormat("%g", base_).c_str());
            std::fclose(log);
        }
        if (!(base_ > lowerLimit_ && base_ < upperLimit_)) {
            services_.ui.ShowMessage(MsgFmClockOutOfLimit);
            if (onCloseRequest) {
                onCloseRequest();
            }
            return 0;
        }
    } else {
        base_ = store.ReadProfileNumber("FmCarFrq", 0, "Settings", kMissingNumber);
    }

    std::string deviationText;
    double parsed = 0.0;
    if (store.ReadProfileText("Settings", DeviationKey(), deviationText, 80, store.ContextFile(),
                              true) &&
        ParseLeadingDouble(deviationText.c_str(), deviationText.size(), parsed) > 0) {
        deviation_ = parsed;
    } else {
        deviation_ = base_ * 0.1;
    }
    deviation_ = std::min({deviation_, upperLimit_ - base_, base_ - lowerLimit_});

    std::string conflict;
    if (deviation_ == 0.0) {
        conflict = "Settings conflict\nBase frequency=" + CrtFormat("%g", base_) +
                   " and deviation.\nValues cann't be corrected automatically and will be set "
                   "to default";
        double low = 0.0;
        double high = 0.0;
        double defaultBase = base_;
        ReadParameterLine(store, "ParmLst", "FmCarFrq", low, high, &defaultBase);
        base_ = defaultBase;
        deviation_ = base_ * 0.1;
        store.WriteProfileText("Settings", "FmCarFrq", CrtFormat("%g", base_), store.ContextFile());
    }
    WriteDeviationKey();
    fmax_ = base_ + deviation_;
    fmin_ = base_ - deviation_;
    if (!conflict.empty()) {
        services_.ui.ShowText(conflict, "", MessageButtons::Ok, MessageIcon::None);
    }
    return 1;
}

std::string FmSettings::SetDeviationFromField(const std::string& fieldText) {
    const std::string text = fieldText.substr(0, 19);
    double d = 0.0;
    // Text that starts no number would read as a deviation of 0 and close the window.
    if (ParseLeadingDouble(text.c_str(), text.size(), d) == 0) {
        services_.ui.ShowText("The deviation \"" + text +
                                  "\" is not a frequency in Hz.\nPrevious value will be restored.",
                              "", MessageButtons::Ok, MessageIcon::Exclamation);
        return TidyDeviation("%g", deviation_);
    }
    // A deviation of 0 or below would close or turn over the window (FMax at or under
    // FMin), and the instrument refuses it: it is out of range like one beyond a limit.
    if (!(d > 0.0) || !(base_ - d >= lowerLimit_ && base_ + d <= upperLimit_)) {
        services_.ui.ShowMessage(MsgDeviationLimit);
        return TidyDeviation("%g", deviation_);
    }
    fmax_ = base_ + d;
    fmin_ = base_ - d;
    deviation_ = d;
    // The deviation, the window it gives and the mark change in one rewrite of the file,
    // before the instrument is told: the host never reads a deviation without its window.
    ProfileStore& store = services_.store;
    store.UpdateProfile(store.ContextFile(), [&](ProfileEdit& edit) {
        edit.Write("Settings", DeviationKey(), text);
        if (functionMode_ == 0) {
            edit.Write("Settings", "FmSt0", text);
        }
        edit.Write("FmSmith", "FMax", CrtFormat("%g", fmax_));
        edit.Write("FmSmith", "FMin", CrtFormat("%g", fmin_));
        edit.Write("Modif", "Common", "Yes");
    });
    if (functionMode_ == 0 && mode_->SendsDeviationCommand() && sendCommand) {
        sendCommand(":FM:DEV " + text);
    }
    if (onMarkersChanged) {
        onMarkersChanged();
    }
    return text;
}

std::string FmSettings::RecomputeFmWindow(const double* samples, long long count) {
    double lo = 1e20;
    double hi = -1e20;
    for (long long i = 0; i < count; ++i) {
        lo = std::min(lo, samples[i]);
        hi = std::max(hi, samples[i]);
    }
    lo = std::max(lo, lowerLimit_);
    hi = std::min(hi, upperLimit_);
    if (lo == hi) {
        deviation_ = lo * 0.1;
        fmin_ = lo * 0.9;
        fmax_ = lo * 1.1;
    } else {
        fmin_ = lo;
        fmax_ = hi;
        deviation_ = (hi - lo) * 0.5;
    }
    const std::string field = DeviationFieldText();
    // Deviation and carrier describe one window: they change in one rewrite of the file.
    ProfileStore& store = services_.store;
    store.UpdateProfile(store.ContextFile(), [&](ProfileEdit& edit) {
        edit.Write("Settings", "FmDev0", field);
        edit.Write("Settings", "FmCarFrq", TrimmedFixed((fmin_ + fmax_) * 0.5));
    });
    if (onDeviationText) {
        onDeviationText(field);
    }
    // In this variant the window moves with the samples; the markers follow it.
    if (onMarkersChanged) {
        onMarkersChanged();
    }
    return field;
}

std::string FmSettings::DeviationFieldText() const {
    return TrimmedFixed(deviation_);
}
