#pragma once

#include <string>

class ProfileStore;

// The user's choices for turning a design into instrument memory, kept in the registry
// under "PulseSmith" and read when the pulse editor is created, and the form of the
// options dialog over them: the dialog starts from the current values, OK takes the two
// radio groups over and writes them at once ("forceSingSeg", then "memUse"), Cancel
// changes nothing.
//
// The dialog's other controls are bound to nothing that renders: "DC Approximation" with
// its single-stepping value, "Assign Section Base Duration" and "Auto Scaling on Vpp
// Modification". They are shown disabled, with the reason as their tooltip (UnboundNote),
// so that no one sets a choice that would be dropped; single-stepping shows the stored
// value, which is never written.
class PulseOptions {
public:
    enum Segmentation { kSequenceAllowed = 0, kForceSingleSegment = 1, kForceSequence = 2 };
    enum MemoryUse { kUnusedMemoryOnly = 0, kAllMemory = 1 };
    static constexpr const char* kSubkey = "PulseSmith";

    explicit PulseOptions(ProfileStore& store);

    // Reads the three values; an empty or missing value (and one outside its choices)
    // gives its default: Force Single Segment, all memory, single-stepping 200.
    void Read();
    int SegmentationChoice() const { return segmentation_; }
    int MemoryChoice() const { return memoryUse_; }
    unsigned SingleStepping() const { return singleStepping_; }
    // The renderer's switch to the sequence form after the user agreed: kept and written.
    void StoreSegmentation(int choice);

    // -- the dialog --
    void BeginDialog();
    void SetDialogSegmentation(int choice) { dialogSegmentation_ = choice; }
    void SetDialogMemoryUse(int choice) { dialogMemoryUse_ = choice; }
    int DialogSegmentation() const { return dialogSegmentation_; }
    int DialogMemoryUse() const { return dialogMemoryUse_; }
    // Unchecked at every opening.
    bool DcApproximation() const { return false; }
    void Ok();
    void Cancel();

    static const char* UnboundNote();

private:
    ProfileStore& store_;
    int segmentation_ = kForceSingleSegment;
    int memoryUse_ = kAllMemory;
    unsigned singleStepping_ = 200;
    int dialogSegmentation_ = kForceSingleSegment;
    int dialogMemoryUse_ = kAllMemory;
};
