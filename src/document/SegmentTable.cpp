#include "document/SegmentTable.h"

#include "core/AppState.h"
#include "settings/AppServices.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <sstream>
#include <vector>

namespace {

constexpr const char* kTable = "SegmTbl";
constexpr const char* kModified = "Modif";
constexpr int kPathBuffer = 260;

} // namespace

SegmentTable::SegmentTable(AppServices& services) : services_(services) {}

std::string SegmentTable::SegmentKey(int segment, int channel) {
    if (segment < 0) {
        return "FmWave";
    }
    return "Segm" + std::to_string(segment) + "-" + std::to_string(channel);
}

void SegmentTable::RaiseLastSegment(int segment, int channel) {
    ProfileStore& store = services_.store;
    const std::string key = "LastSegm#" + std::to_string(channel);
    const double last = store.ReadProfileNumber(key, 0, kTable, kMissingNumber);
    if (last == kMissingNumber || last < segment) {
        store.WriteProfileText(kTable, key, std::to_string(segment), store.ContextFile());
    }
}

bool SegmentTable::SegmentEntry(int segment, int channel, std::string& file) {
    ProfileStore& store = services_.store;
    const std::string key = SegmentKey(segment, channel);
    if (file.empty()) {
        return store.ReadProfileText(kTable, key, file, kPathBuffer, store.ContextFile(), true);
    }
    RaiseLastSegment(segment, channel);
    store.WriteProfileText(kTable, key, file, store.ContextFile());
    store.WriteProfileText(kModified, key, "Yes", store.ContextFile());
    return true;
}

std::string SegmentTable::SegmentFilePath(int segment, int channel) const {
    const std::string folder = services_.state.userFolder + kPathSeparator;
    if (segment >= 0) {
        return folder + "TemS" + std::to_string(segment) + ".wa" + std::to_string(channel);
    }
    return folder + (segment == -2 ? "FmDef.wfm" : "FmDef.wvf");
}

void SegmentTable::SetActiveSegment(int n) {
    ProfileStore& store = services_.store;
    const int channel = ReadActiveChannel();
    std::string list;
    store.ReadProfileText("Settings", "ActiveSeg", list, 40, store.ContextFile(), false);
    // Every integer of the old list is kept but the one at the active channel's position;
    // a list that is too short is not extended.
    std::istringstream in(list);
    std::string word;
    std::string rebuilt;
    for (int position = 0; in >> word; ++position) {
        double value = 0.0;
        if (ParseLeadingDouble(word.c_str(), word.size(), value) == 0) {
            break;
        }
        const long long old = static_cast<long long>(value);
        rebuilt += std::to_string(position == channel ? n : old) + " ";
    }
    store.WriteProfileText("Settings", "ActiveSeg", rebuilt, store.ContextFile());
    RaiseLastSegment(n, channel);
}

void SegmentTable::ClearModified(int segment, int channel) {
    ProfileStore& store = services_.store;
    const std::string key = services_.state.IsFm() ? "FmWave" : SegmentKey(segment, channel);
    store.DeleteProfileKey(kModified, key, store.ContextFile());
}

int SegmentTable::ReadActiveChannel() {
    return static_cast<int>(services_.store.ReadProfileNumber("ActiveCh", 0, "Settings", 0));
}

int SegmentTable::ReadActiveSegment(int channel) {
    return static_cast<int>(services_.store.ReadProfileNumber("ActiveSeg", channel, "Settings", 0));
}
