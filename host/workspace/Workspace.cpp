#include "workspace/Workspace.h"

#include "app/ComposerApp.h"
#include "core/AppState.h"
#include "settings/IniFile.h"
#include "settings/NumberFormat.h"

#include <sstream>
#include <vector>

namespace {

constexpr const char* kContextFileName = "TempGlyp.cad";
constexpr const char* kStandardHostKey = "Software\\Quellwerk\\Consolux\\3.1";
constexpr const char* kWideHostKey = "Software\\Quellwerk\\Glyptor3.2";

std::vector<std::string> SplitBlanks(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

int ToInt(const std::string& text, int fallback) {
    const char* cursor = text.data();
    int value = 0;
    return ReadLeadingInt(cursor, cursor + text.size(), value) ? value : fallback;
}

} // namespace

Workspace::Workspace(std::string folder, std::string userTag, std::string family)
    : folder_(std::move(folder)), userTag_(std::move(userTag)), family_(std::move(family)) {
    while (folder_.size() > 1 && folder_.back() == kPathSeparator) {
        folder_.pop_back();
    }
}

std::optional<Workspace> Workspace::Open(const std::string& folder, const std::string& userTag) {
    Workspace workspace(folder, userTag, "");
    const auto family = IniFile(workspace.ContextFile()).Read("Instrument", "Family");
    if (!family || family->empty()) {
        return std::nullopt;
    }
    workspace.family_ = *family;
    return workspace;
}

std::string Workspace::UserTagFor(const std::optional<std::string>& userName) {
    return ComposerApp::MakeUserTag(userName);
}

std::string Workspace::HostKeyFor(const std::string& family) {
    return ComposerApp::IsWideFamily(family) ? kWideHostKey : kStandardHostKey;
}

std::string Workspace::UserFolder() const {
    return folder_ + kPathSeparator + userTag_;
}

std::string Workspace::ContextFile() const {
    return UserFolder() + kPathSeparator + kContextFileName;
}

std::string Workspace::FamilyFile() const {
    return folder_ + kPathSeparator + family_ + ".fam";
}

std::string Workspace::LinkKeyPath() const {
    return HostKey() + "\\DwnStr";
}

int Workspace::ActiveChannel() const {
    return ToInt(IniFile(ContextFile()).Read("Settings", "ActiveCh").value_or("0"), 0);
}

int Workspace::ActiveSegment(int channel) const {
    const auto words =
        SplitBlanks(IniFile(ContextFile()).Read("Settings", "ActiveSeg").value_or(""));
    if (channel < 0 || channel >= static_cast<int>(words.size())) {
        return 1;
    }
    return ToInt(words[channel], 1);
}

void Workspace::SetActiveChannel(int channel) const {
    IniFile(ContextFile()).Write("Settings", "ActiveCh", std::to_string(channel));
}

void Workspace::SetActiveSegment(int channel, int segment) const {
    IniFile context(ContextFile());
    auto words = SplitBlanks(context.Read("Settings", "ActiveSeg").value_or(""));
    if (static_cast<int>(words.size()) <= channel) {
        words.resize(channel + 1, "1");
    }
    words[channel] = std::to_string(segment);
    std::string list;
    for (const auto& word : words) {
        list += (list.empty() ? "" : " ") + word;
    }
    context.Write("Settings", "ActiveSeg", list);
}
