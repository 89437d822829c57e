#include "pulse/PulseOptions.h"

#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <string>

namespace {

// A stored choice: its integer when the text is one within low..high, else `fallback`.
long long ChoiceOf(const std::string& text, long long fallback, long long low, long long high) {
    const char* cursor = text.c_str();
    int value = 0;
    if (!ReadLeadingInt(cursor, text.c_str() + text.size(), value) || value < low || value > high) {
        return fallback;
    }
    return value;
}

} // namespace

PulseOptions::PulseOptions(ProfileStore& store) : store_(store) {
    Read();
}

void PulseOptions::Read() {
    segmentation_ = static_cast<int>(
        ChoiceOf(store_.ReadHostValue(kSubkey, "forceSingSeg"), kForceSingleSegment, 0, 2));
    memoryUse_ =
        static_cast<int>(ChoiceOf(store_.ReadHostValue(kSubkey, "memUse"), kAllMemory, 0, 1));
    singleStepping_ =
        static_cast<unsigned>(ChoiceOf(store_.ReadHostValue(kSubkey, "yRes"), 200, 0, 2147483647));
    BeginDialog();
}

void PulseOptions::StoreSegmentation(int choice) {
    segmentation_ = choice;
    store_.WriteHostValue("forceSingSeg", std::to_string(choice), kSubkey);
}

void PulseOptions::BeginDialog() {
    dialogSegmentation_ = segmentation_;
    dialogMemoryUse_ = memoryUse_;
}

void PulseOptions::Ok() {
    segmentation_ = dialogSegmentation_;
    memoryUse_ = dialogMemoryUse_;
    store_.WriteHostValue("forceSingSeg", std::to_string(segmentation_), kSubkey);
    store_.WriteHostValue("memUse", std::to_string(memoryUse_), kSubkey);
}

void PulseOptions::Cancel() {
    BeginDialog();
}

const char* PulseOptions::UnboundNote() {
    return "Not used by this version: no rendering step reads this setting.";
}
