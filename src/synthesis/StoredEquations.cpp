#include "synthesis/StoredEquations.h"

#include "settings/FileHelpers.h"
#include "settings/IniText.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <cmath>

namespace {

constexpr int kEquationText = 256;
constexpr std::size_t kStoredLength = 255;
constexpr const char* kListSection = "Expr";
constexpr const char* kIndexSection = "ExprInd";

std::string EntryKey(std::size_t index) {
    return kListSection + std::to_string(index);
}

} // namespace

StoredEquations::StoredEquations(ProfileStore& store, std::string path)
    : store_(store), path_(std::move(path)) {}

void StoredEquations::Load() {
    entries_.clear();
    std::string text;
    double index = 0;
    if (store_.ReadProfileText(kIndexSection, kIndexSection, text, kEquationText, path_, true)) {
        index = LeadingDouble(text);
    }
    for (std::size_t i = 0;
         store_.ReadProfileText(kListSection, EntryKey(i), text, kEquationText, path_, true); ++i) {
        entries_.push_back(text);
    }
    if (entries_.empty()) {
        entries_.push_back(kDefaultEquation);
    }
    Select(static_cast<int>(std::trunc(index)));
}

void StoredEquations::Select(int index) {
    selected_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : 0;
}

std::string StoredEquations::SelectedText() const {
    return entries_.empty() ? std::string() : entries_[static_cast<std::size_t>(selected_)];
}

int StoredEquations::IndexOf(const std::string& text) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A text already in the list is only selected. When the file does not exist yet, the list
// (which then holds the default equation) is written too, so that it is not kept twice.
void StoredEquations::Store(const std::string& fullText) {
    const std::string text = fullText.substr(0, kStoredLength);
    const bool fileExisted = FileExists(path_);
    const int existing = IndexOf(text);
    if (existing >= 0) {
        selected_ = existing;
        WriteSelectionAndList(!fileExisted);
        return;
    }
    entries_.push_back(text);
    selected_ = static_cast<int>(entries_.size()) - 1;
    WriteSelectionAndList(true);
}

void StoredEquations::Remove() {
    if (entries_.empty()) {
        return;
    }
    entries_.erase(entries_.begin() + selected_);
    selected_ = selected_ > 0 ? selected_ - 1 : 0;
    WriteSelectionAndList(true);
}

// One rewrite of the file: the list holds every user's equations, and a run killed
// between clearing it and writing it again would lose them all.
void StoredEquations::WriteSelectionAndList(bool withList) {
    std::vector<std::size_t> refused;
    store_.UpdateProfileText(path_, [&](std::string& text) {
        const std::string before = text;
        refused.clear();
        SetIniValue(text, kIndexSection, kIndexSection, std::to_string(selected_));
        if (withList) {
            RemoveIniSection(text, kListSection);
            for (std::size_t i = 0; i < entries_.size(); ++i) {
                if (IniWriteProblem(kListSection, EntryKey(i), entries_[i]).empty()) {
                    SetIniValue(text, kListSection, EntryKey(i), entries_[i]);
                } else {
                    refused.push_back(i);
                }
            }
        }
        return text != before;
    });
    // A text that cannot stand on one line is refused and told as a plain write tells it.
    for (const std::size_t i : refused) {
        store_.WriteProfileText(kListSection, EntryKey(i), entries_[i], path_);
    }
}
