#include "pulse/PulseSectionList.h"

#include "pulse/PulseDesign.h"
#include "pulse/PulseKeys.h"
#include "settings/ProfileBatch.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

std::string Whole(int value) {
    return std::to_string(value);
}

} // namespace

int PulseSectionList::ItemCount(int k) {
    ProfileSnapshot& keys = design_.Keys();
    keys.Refresh();
    const double count = keys.Number(design_.SectionName(k), PulseKeys::kItemCount);
    return count == kMissingNumber || !(count >= 1)
               ? 0
               : static_cast<int>(std::min(std::trunc(count), double(PulseDesign::kMaxItems)));
}

void PulseSectionList::WriteNewSection(ProfileBatch& batch, int k, TrainStyle train,
                                       PulseTimeUnit timeUnit) const {
    const std::string name = design_.SectionName(k);
    batch.Clear(name);
    batch.Set(name, PulseKeys::kTrain, Whole(PulseTrainStyles::Stored(train)));
    batch.Set(name, PulseKeys::kTimeUnit, Whole(PulseTimeUnits::Stored(timeUnit)));
    batch.Set(name, PulseKeys::kStart, "0");
    batch.Set(name, PulseKeys::kLocDur, "0");
}

bool PulseSectionList::Append(TrainStyle train, PulseTimeUnit timeUnit) {
    const int count = design_.SectionCount();
    if (ItemCount(count - 1) == 0) {
        return false;
    }
    // The total as the sections add up now, not as "%g" kept it with six digits.
    design_.RestoreStartsAndDuration(count - 1);
    ProfileBatch batch;
    WriteNewSection(batch, count, train, timeUnit);
    batch.Set(design_.SectionName(count), PulseKeys::kStart, FormatCompact(design_.Duration()));
    // What showing the new section would write next; written here in the same pass.
    batch.Set(design_.SectionName(count), PulseKeys::kRepeat, "1");
    batch.Set(design_.RootName(), PulseKeys::kCount, Whole(count + 1));
    batch.Set(design_.RootName(), PulseKeys::kActive, Whole(count));
    design_.Apply(batch);
    design_.Reload();
    design_.ShowSection(count);
    return true;
}

bool PulseSectionList::Insert(TrainStyle train, PulseTimeUnit timeUnit) {
    const int active = design_.ActiveSection();
    if (ItemCount(active) == 0 || (active > 0 && ItemCount(active - 1) == 0)) {
        return false;
    }
    const int count = design_.SectionCount();
    const double start = design_.Section(active).start;
    ProfileBatch batch;
    for (int k = count - 1; k >= active; --k) {
        batch.Copy(design_.SectionName(k), design_.SectionName(k + 1));
    }
    WriteNewSection(batch, active, train, timeUnit);
    batch.Set(design_.SectionName(active), PulseKeys::kStart, FormatCompact(start));
    batch.Set(design_.SectionName(active), PulseKeys::kRepeat, "1");
    batch.Set(design_.RootName(), PulseKeys::kCount, Whole(count + 1));
    design_.Apply(batch);
    design_.Reload();
    return true;
}

void PulseSectionList::Delete() {
    const int active = design_.ActiveSection();
    const int count = design_.SectionCount();
    if (count <= 1) {
        Clear(active);
        return;
    }
    const PulseSection deleted = design_.Section(active);
    const double shift = deleted.TotalDuration();
    ProfileBatch batch;
    ProfileSnapshot& keys = design_.Keys();
    keys.Refresh();
    for (int k = active + 1; k < count; ++k) {
        const double stored = keys.Number(design_.SectionName(k), PulseKeys::kStart);
        const double start = stored == kMissingNumber || !std::isfinite(stored) ? 0.0 : stored;
        batch.Copy(design_.SectionName(k), design_.SectionName(k - 1));
        batch.Set(design_.SectionName(k - 1), PulseKeys::kStart, FormatCompact(start - shift));
    }
    batch.Clear(design_.SectionName(count - 1));
    batch.Set(design_.RootName(), PulseKeys::kCount, Whole(count - 1));
    const int shown = std::min(active, count - 2);
    batch.Set(design_.RootName(), PulseKeys::kActive, Whole(shown));
    design_.Apply(batch);
    design_.Reload();
    design_.RestoreStartsAndDuration(0);
    design_.ShowSection(shown);
}

void PulseSectionList::RemoveAll() {
    const int count = design_.SectionCount();
    ProfileBatch batch;
    for (int k = 0; k < count; ++k) {
        batch.Clear(design_.SectionName(k));
    }
    WriteNewSection(batch, 0, PulseTrainStyles::kDefault, PulseTimeUnits::kDefault);
    batch.Set(design_.RootName(), PulseKeys::kDuration, "0");
    batch.Set(design_.RootName(), PulseKeys::kActive, "0");
    batch.Set(design_.RootName(), PulseKeys::kCount, "1");
    design_.Apply(batch);
    design_.Reload();
    design_.ShowSection(0);
}

void PulseSectionList::Clear(int k) {
    const PulseSection section = design_.Section(k);
    ProfileBatch batch;
    WriteNewSection(batch, k, section.train, section.timeUnit);
    batch.Set(design_.SectionName(k), PulseKeys::kStart, FormatCompact(section.start));
    design_.Apply(batch);
    design_.RestoreDerived(k);
}
