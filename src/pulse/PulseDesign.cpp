#include "pulse/PulseDesign.h"

#include "core/AppServices.h"
#include "core/StringTable.h"
#include "pulse/PulseKeys.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseMessage.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileBatch.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

namespace {

// A design whose root and the instrument's setting give no usable amplitude.
constexpr double kFallbackVpp = 1.0;

bool IsMissing(double value) {
    return value == kMissingNumber || !std::isfinite(value);
}

// A stored count or index: truncated, and `fallback` when missing or outside low..high.
int WholeIn(double value, int fallback, int low, int high) {
    if (IsMissing(value)) {
        return fallback;
    }
    const double whole = std::trunc(value);
    return whole >= low && whole <= high ? static_cast<int>(whole) : fallback;
}

int ClampedWhole(double value, int fallback, int low, int high) {
    if (IsMissing(value)) {
        return fallback;
    }
    return static_cast<int>(std::clamp(std::trunc(value), double(low), double(high)));
}

double SecondsOr0(double value) {
    return IsMissing(value) ? 0.0 : value;
}

// The number a compact text stands for: later steps add what was written, not what was
// computed, so that the stored Starts add up exactly as they read.
double Stored(double value) {
    return LeadingDouble(FormatCompact(value));
}

std::string VppText(double vpp) {
    std::string text = CrtFormat("%f", vpp);
    TrimZeros(text);
    return text;
}

} // namespace

PulseDesign::PulseDesign(AppServices& services) : services_(services), keys_(services.store) {}

std::string PulseDesign::RootName() const {
    return PulseKeys::RootName(channel_ + 1);
}

std::string PulseDesign::SectionName(int k) const {
    return PulseKeys::SectionName(k, channel_ + 1);
}

bool PulseDesign::Apply(const ProfileBatch& batch) {
    return keys_.Apply(batch);
}

void PulseDesign::Open(int channel) {
    channel_ = channel;
    open_ = true;
    keys_.Refresh();
    const std::string root = RootName();
    const bool exists = keys_.Number(root, PulseKeys::kCount) != kMissingNumber;
    vpp_ = ReadVpp();
    ProfileBatch batch;
    if (exists) {
        ReadRoot();
        const double storedActive = keys_.Number(root, PulseKeys::kActive);
        activeSection_ = ClampedWhole(storedActive, 0, 0, sectionCount_ - 1);
        if (storedActive != activeSection_) {
            batch.Set(root, PulseKeys::kActive, std::to_string(activeSection_));
        }
        const PulseSection shown = ReadSection(activeSection_);
        train_ = shown.train;
        timeUnit_ = shown.timeUnit;
    } else {
        sectionCount_ = 1;
        activeSection_ = 0;
        duration_ = 0.0;
        train_ = PulseTrainStyles::kDefault;
        timeUnit_ = PulseTimeUnits::kDefault;
        batch.Set(root, PulseKeys::kDuration, "0");
        batch.Set(root, PulseKeys::kVpp, CrtFormat("%.3f", vpp_));
        batch.Set(root, PulseKeys::kActive, "0");
        batch.Set(root, PulseKeys::kCount, "1");
        const std::string first = SectionName(0);
        batch.Set(first, PulseKeys::kTrain, std::to_string(PulseTrainStyles::Stored(train_)));
        batch.Set(first, PulseKeys::kTimeUnit, std::to_string(PulseTimeUnits::Stored(timeUnit_)));
        batch.Set(first, PulseKeys::kStart, "0");
        batch.Set(first, PulseKeys::kLocDur, "0");
    }
    Apply(batch);
}

void PulseDesign::ReadRoot() {
    const std::string root = RootName();
    sectionCount_ = ClampedWhole(keys_.Number(root, PulseKeys::kCount), 1, 1, kMaxSections);
    duration_ = SecondsOr0(keys_.Number(root, PulseKeys::kDuration));
}

void PulseDesign::Reload() {
    keys_.Refresh();
    ReadRoot();
    vpp_ = ReadVpp();
    activeSection_ = std::clamp(activeSection_, 0, sectionCount_ - 1);
}

double PulseDesign::ReadVpp() {
    const double stored = keys_.Number(RootName(), PulseKeys::kVpp);
    if (!IsMissing(stored) && stored > 0) {
        return stored;
    }
    const double setting = keys_.Number(PulseKeys::kSettingsSection, PulseKeys::kSettingsAmplitude);
    return !IsMissing(setting) && setting > 0 ? setting : kFallbackVpp;
}

PulseSection PulseDesign::ReadSection(int k) {
    PulseSection section;
    section.index = k;
    const std::string name = SectionName(k);
    // A number that is no style or unit reads as the default one.
    section.train = PulseTrainStyles::FromStored(
        WholeIn(keys_.Number(name, PulseKeys::kTrain), -1, INT_MIN, INT_MAX));
    section.timeUnit = PulseTimeUnits::FromStored(
        WholeIn(keys_.Number(name, PulseKeys::kTimeUnit), -1, INT_MIN, INT_MAX));
    section.start = SecondsOr0(keys_.Number(name, PulseKeys::kStart));
    section.locDur = SecondsOr0(keys_.Number(name, PulseKeys::kLocDur));
    const int repeat = WholeIn(keys_.Number(name, PulseKeys::kRepeat), 0, 1, INT_MAX);
    section.repeatStored = repeat >= 1;
    section.repeat = std::max(repeat, 1);
    const int count = ClampedWhole(keys_.Number(name, PulseKeys::kItemCount), 0, 0, kMaxItems);
    section.items.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        PulseItem& item = section.items[static_cast<std::size_t>(i)];
        item.time = keys_.Text(name, PulseKeys::ItemKey(section.train, i, 1)).value_or("");
        item.level = keys_.Text(name, PulseKeys::ItemKey(section.train, i, 2)).value_or("");
    }
    return section;
}

PulseSection PulseDesign::Section(int k) {
    keys_.Refresh();
    return ReadSection(k);
}

const std::vector<PulseSection>& PulseDesign::Sections() {
    keys_.Refresh();
    const bool current = sectionsGeneration_ == keys_.Generation() &&
                         sectionsChannel_ == channel_ &&
                         sections_.size() == static_cast<std::size_t>(sectionCount_);
    if (!current) {
        sections_.clear();
        sections_.reserve(static_cast<std::size_t>(sectionCount_));
        for (int k = 0; k < sectionCount_; ++k) {
            sections_.push_back(ReadSection(k));
        }
        sectionsGeneration_ = keys_.Generation();
        sectionsChannel_ = channel_;
    }
    return sections_;
}

std::vector<double> PulseDesign::SectionMarks(double scale) {
    keys_.Refresh();
    std::vector<double> marks;
    marks.reserve(static_cast<std::size_t>(sectionCount_) * 2);
    for (int k = 0; k < sectionCount_; ++k) {
        const std::string name = SectionName(k);
        const double start = SecondsOr0(keys_.Number(name, PulseKeys::kStart));
        const double locDur = SecondsOr0(keys_.Number(name, PulseKeys::kLocDur));
        marks.push_back(start * scale);
        marks.push_back((start + locDur) * scale);
    }
    return marks;
}

PulseSection PulseDesign::ShowSection(int k) {
    keys_.Refresh();
    const std::string root = RootName();
    ProfileBatch batch;
    const int stored = ClampedWhole(keys_.Number(root, PulseKeys::kCount), 0, 0, kMaxSections);
    if (stored < k + 1) {
        batch.Set(root, PulseKeys::kCount, std::to_string(k + 1));
    }
    sectionCount_ = std::max(stored, k + 1);
    activeSection_ = k;
    PulseSection section = ReadSection(k);
    if (!section.repeatStored) {
        batch.Set(SectionName(k), PulseKeys::kRepeat, "1");
        section.repeatStored = true;
    }
    train_ = section.train;
    timeUnit_ = section.timeUnit;
    duration_ = SecondsOr0(keys_.Number(root, PulseKeys::kDuration));
    Apply(batch);
    return section;
}

void PulseDesign::SetActiveSection(int k, IndexText text) {
    activeSection_ = k;
    ProfileBatch batch;
    batch.Set(RootName(), PulseKeys::kActive,
              text == IndexText::Compact ? FormatCompact(k) : std::to_string(k));
    Apply(batch);
}

double PulseDesign::LocDurOf(const PulseSection& section) const {
    double locDur = 0.0;
    switch (section.train) {
    case TrainStyle::DcIntervals:
        for (const PulseItem& item : section.items) {
            if (item.IsComplete()) {
                locDur += *item.Time();
            }
        }
        break;
    case TrainStyle::TimeLevelPoints:
        // The last line that holds a time: an appended line whose cells are not yet
        // typed must not pull the section's end back to its start.
        for (auto item = section.items.rbegin(); item != section.items.rend(); ++item) {
            if (item->Time()) {
                locDur = *item->Time();
                break;
            }
        }
        break;
    case TrainStyle::PulseSequence:
        // Templates carry no durations yet: such a section takes no time.
        break;
    }
    return locDur;
}

void PulseDesign::RestoreDerived(int k) {
    keys_.Refresh();
    ProfileBatch batch;
    ApplyWithDerived(batch, k, LocDurOf(ReadSection(k)));
}

bool PulseDesign::ApplyWithDerived(ProfileBatch& batch, int k, double locDur) {
    keys_.Refresh();
    const double stored = Stored(locDur);
    const std::string text = FormatCompact(stored);
    if (keys_.Text(SectionName(k), PulseKeys::kLocDur) != text) {
        batch.Set(SectionName(k), PulseKeys::kLocDur, text);
    }
    AddStartsAndDuration(batch, k, stored);
    return Apply(batch);
}

void PulseDesign::RestoreStartsAndDuration(int k) {
    keys_.Refresh();
    ProfileBatch batch;
    AddStartsAndDuration(batch, k, std::nullopt);
    Apply(batch);
}

void PulseDesign::AddStartsAndDuration(ProfileBatch& batch, int k, std::optional<double> locDurK) {
    const std::string root = RootName();
    double total = 0.0;
    double start = 0.0;
    for (int j = 0; j < sectionCount_; ++j) {
        const std::string name = SectionName(j);
        if (j <= k) {
            start = SecondsOr0(keys_.Number(name, PulseKeys::kStart));
        } else {
            const std::string text = FormatCompact(start);
            if (keys_.Text(name, PulseKeys::kStart) != text) {
                batch.Set(name, PulseKeys::kStart, text);
            }
        }
        const int repeat = WholeIn(keys_.Number(name, PulseKeys::kRepeat), 1, 1, INT_MAX);
        const double locDur =
            j == k && locDurK ? *locDurK : SecondsOr0(keys_.Number(name, PulseKeys::kLocDur));
        total += repeat * locDur;
        if (j >= k) {
            start = Stored(start + repeat * locDur);
        }
    }
    duration_ = total;
    batch.Set(root, PulseKeys::kDuration, CrtFormat("%g", total));
}

bool PulseDesign::LevelsFitIn(double vpp) {
    keys_.Refresh();
    for (int k = 0; k < sectionCount_; ++k) {
        for (const PulseItem& item : ReadSection(k).items) {
            const std::optional<double> level = item.Level();
            if (level && (*level < -0.5 * vpp || *level > 0.5 * vpp)) {
                return false;
            }
        }
    }
    return true;
}

bool PulseDesign::ChangeAmplitude(const std::string& text) {
    double vpp = 0.0;
    const bool isNumber = ParseWholeDouble(text, vpp) && std::isfinite(vpp);
    const auto range = PulseLimits::AmplitudeRange(services_);
    if (isNumber && vpp == vpp_) {
        return true;
    }
    const double low = range ? range->first : 0.0;
    const double high = range ? range->second : DBL_MAX;
    const bool inRange = isNumber && vpp >= low && vpp <= high && (range || vpp > 0);
    if (isNumber && !LevelsFitIn(vpp)) {
        ShowPulseMessage(services_.ui, MsgVppCutsWave, {CrtFormat("%.3f", vpp)});
        return false;
    }
    if (!inRange) {
        ShowPulseMessage(services_.ui, MsgVppOutOfRange,
                         {text, CrtFormat("%g", low), CrtFormat("%g", high)});
        return false;
    }
    vpp_ = vpp;
    ProfileBatch batch;
    batch.Set(RootName(), PulseKeys::kVpp, VppText(vpp));
    Apply(batch);
    return true;
}
