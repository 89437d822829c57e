#include "document/SegmentTable.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "settings/FileHelpers.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileEdit.h"
#include "settings/ProfileStore.h"

#include <sstream>
#include <vector>

namespace {

constexpr const char* kTable = "SegmTbl";
constexpr const char* kModified = "Modif";
constexpr int kPathBuffer = 260;
constexpr int kListBuffer = 40;

} // namespace

SegmentTable::SegmentTable(AppServices& services) : services_(services) {}

std::string SegmentTable::SegmentKey(int segment, int channel) {
    if (segment < 0) {
        return "FmWave";
    }
    return "Segm" + std::to_string(segment) + "-" + std::to_string(channel);
}

void SegmentTable::RaiseLastSegment(ProfileEdit& edit, int segment, int channel) {
    const std::string key = "LastSegm#" + std::to_string(channel);
    const double last = edit.ReadNumber(kTable, key, 0, kMissingNumber);
    if (last == kMissingNumber || last < segment) {
        edit.Write(kTable, key, std::to_string(segment));
    }
}

std::optional<std::string> SegmentTable::Entry(int segment, int channel) const {
    ProfileStore& store = services_.store;
    std::string file;
    if (!store.ReadProfileText(kTable, SegmentKey(segment, channel), file, kPathBuffer,
                               store.ContextFile(), true)) {
        return std::nullopt;
    }
    return file;
}

std::string SegmentTable::FileOf(int segment, int channel) const {
    return Entry(segment, channel).value_or(SegmentFilePath(segment, channel));
}

std::string SegmentTable::Enter(int segment, int channel, const std::string& file) {
    std::string entry = file;
    EnterFile(segment, channel, entry, SavedMark::LeftSet);
    return entry;
}

void SegmentTable::WriteEntry(ProfileEdit& edit, int segment, int channel,
                              const std::string& file) {
    const std::string key = SegmentKey(segment, channel);
    RaiseLastSegment(edit, segment, channel);
    edit.Write(kTable, key, file);
    edit.Write(kModified, key, "Yes");
}

bool SegmentTable::EnterFile(int segment, int channel, std::string& file, SavedMark mark) {
    ProfileStore& store = services_.store;
    // The host reads the entry from its own folder: the path it finds must stand alone.
    file = AbsoluteNormalPath(file);
    const std::string modifiedKey = SegmentKey(segment, channel);
    store.UpdateProfile(store.ContextFile(), [&](ProfileEdit& edit) {
        if (mark == SavedMark::RemovedBeforeEntry) {
            edit.Delete(kModified, modifiedKey);
        }
        WriteEntry(edit, segment, channel, file);
        if (mark == SavedMark::RemovedAfterEntry) {
            edit.Delete(kModified, modifiedKey);
        }
    });
    return true;
}

std::string SegmentTable::SegmentFilePath(int segment, int channel) const {
    const std::string folder = services_.state.userFolder + kPathSeparator;
    if (segment >= 0) {
        return folder + "TemS" + std::to_string(segment) + ".wa" + std::to_string(channel);
    }
    return folder + (segment == -2 ? "FmDef.wfm" : "FmDef.wvf");
}

bool SegmentTable::SetActiveSegment(int n) {
    ProfileStore& store = services_.store;
    bool found = false;
    const bool written = store.UpdateProfile(store.ContextFile(), [&](ProfileEdit& edit) {
        const int channel = static_cast<int>(edit.ReadNumber("Settings", "ActiveCh", 0, 0));
        const std::optional<std::string> list = edit.Read("Settings", "ActiveSeg", kListBuffer);
        found = list.has_value();
        edit.Write("Settings", "ActiveSeg", ReplaceListEntry(list.value_or(""), channel, n));
        RaiseLastSegment(edit, n, channel);
    });
    if (!found) {
        // Told only now: a message box must never hold the settings lock.
        std::string list;
        store.ReadProfileText("Settings", "ActiveSeg", list, kListBuffer, store.ContextFile(),
                              false);
    }
    return written;
}

std::string SegmentTable::ReplaceListEntry(const std::string& list, int position, int n) {
    // Every integer of the old list is kept but the one at the position; a list that is
    // too short is not extended.
    std::istringstream in(list);
    std::string word;
    std::string rebuilt;
    for (int i = 0; in >> word; ++i) {
        double value = 0.0;
        if (ParseLeadingDouble(word.c_str(), word.size(), value) == 0) {
            break;
        }
        const long long old = static_cast<long long>(value);
        rebuilt += std::to_string(i == position ? n : old) + " ";
    }
    return rebuilt;
}

void SegmentTable::ClearModified(int segment, int channel) {
    ProfileStore& store = services_.store;
    store.DeleteProfileKey(kModified, SegmentKey(segment, channel), store.ContextFile());
}

int SegmentTable::ReadActiveChannel() {
    return static_cast<int>(services_.store.ReadProfileNumber("ActiveCh", 0, "Settings", 0));
}

int SegmentTable::ReadActiveSegment(int channel) {
    return static_cast<int>(services_.store.ReadProfileNumber("ActiveSeg", channel, "Settings", 0));
}
