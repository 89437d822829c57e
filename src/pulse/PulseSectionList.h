#pragma once

#include "pulse/PulseSection.h"

class PulseDesign;
class ProfileBatch;

// The section commands on the stored design: each works on whole sections of the
// context file in one write and leaves the design's Starts and Duration restored. The
// active section is the design's; the caller shows the section afterwards.
class PulseSectionList {
public:
    explicit PulseSectionList(PulseDesign& design) : design_(design) {}

    // A new section after the last one, with the shown section's style and unit, starting
    // at the design's end; it becomes the active one. Refused (false) while the last
    // section has no items.
    bool Append(TrainStyle train, PulseTimeUnit timeUnit);
    // A new section at the active index; the active one and all after it move up by one.
    // Refused while the active section, or the one before it, has no items.
    bool Insert(TrainStyle train, PulseTimeUnit timeUnit);
    // The active section goes and the later ones move down. The design keeps at least one
    // section (deleting the only one empties it, as Clear All does) and the active index
    // stays in the list (the previous section after deleting the last one).
    void Delete();
    // Every section goes; what remains is the default design of one empty section
    // (the amplitude stays).
    void RemoveAll();
    // The section emptied: its keys go except "Train" and "tmUnitInd", its Start stays.
    void Clear(int k);

    int ItemCount(int k);

private:
    void WriteNewSection(ProfileBatch& batch, int k, TrainStyle train,
                         PulseTimeUnit timeUnit) const;

    PulseDesign& design_;
};
