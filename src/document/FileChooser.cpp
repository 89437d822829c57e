#include "document/FileChooser.h"

#include "core/AppState.h"
#include "core/CharClass.h"
#include "core/StringTable.h"
#include "document/DocumentMode.h"
#include "document/PathText.h"
#include "settings/FileHelpers.h"

namespace {

// The last characters of the path against an entry, over the entry's own length only,
// so that "0" takes every extension that begins with "0" (".000", ".001", ...).
bool MatchesEntry(const std::string& lastThree, const std::string& entry) {
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (i >= lastThree.size() || ToLowerAscii(lastThree[i]) != ToLowerAscii(entry[i])) {
            return false;
        }
    }
    return true;
}

// "*.wav;*.WAV" -> {".wav", ".WAV"}
std::vector<std::string> PatternExtensions(const std::string& pattern) {
    std::vector<std::string> extensions;
    std::size_t start = 0;
    while (start <= pattern.size()) {
        std::size_t end = pattern.find(';', start);
        if (end == std::string::npos) {
            end = pattern.size();
        }
        std::string one = pattern.substr(start, end - start);
        if (!one.empty() && one[0] == '*') {
            one.erase(0, 1);
        }
        if (!one.empty()) {
            extensions.push_back(one);
        }
        start = end + 1;
    }
    return extensions;
}

} // namespace

FileChooser::FileChooser(const AppState& state, UserInterface& ui, const DocumentMode& mode)
    : ui_(ui), mode_(mode), folder_(state.startupFolder) {}

std::vector<FileFilter> FileChooser::ParseFilterText(const std::string& text) {
    std::vector<FileFilter> filters;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        if (bar == std::string::npos || bar == start) {
            break; // the empty description of "||" ends the list
        }
        const std::size_t patternEnd = text.find('|', bar + 1);
        const std::size_t end = patternEnd == std::string::npos ? text.size() : patternEnd;
        filters.push_back({text.substr(start, bar - start),
                           PatternExtensions(text.substr(bar + 1, end - bar - 1))});
        if (patternEnd == std::string::npos) {
            break;
        }
        start = patternEnd + 1;
    }
    return filters;
}

std::string FileChooser::ChooseFile(bool open, int& index, const std::string& visibleFileName) {
    FileQuestion question;
    question.filters = ParseFilterText(mode_.FilterText(open));
    question.filterIndex =
        filterIndex_ >= 0 && filterIndex_ < static_cast<int>(question.filters.size()) ? filterIndex_
                                                                                      : 0;
    question.folder = folder_;
    const std::string name = visibleFileName.substr(FileNameStart(visibleFileName));
    question.fileName = name.substr(0, name.rfind('.'));
    question.defaultExtension = "wav";

    const std::optional<FileChoice> choice =
        open ? ui_.AskOpenFile(question) : ui_.AskSaveFile(question);
    if (!choice || choice->path.empty()) {
        return {};
    }
    // Every path the document keeps is absolute: the host reads them from its own folder.
    const std::string chosen = AbsoluteNormalPath(choice->path);
    folder_ = chosen.substr(0, FileNameStart(chosen));
    filterIndex_ = choice->filterIndex;
    std::string path = CheckExtension(chosen, choice->filterIndex, index);
    if (path.empty()) {
        ui_.ShowMessage(MsgIllegalExtension);
    }
    return path;
}

std::string FileChooser::CheckExtension(std::string path, int selectedFilter, int& index) const {
    const std::vector<std::string> extensions = mode_.Extensions();
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) {
        if (selectedFilter < 0 || selectedFilter >= static_cast<int>(extensions.size())) {
            return {};
        }
        index = selectedFilter;
        return path + "." + extensions[static_cast<std::size_t>(selectedFilter)];
    }
    if (path.size() - dot - 1 != 3) {
        return {};
    }
    const std::string lastThree = path.substr(path.size() - 3);
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        if (MatchesEntry(lastThree, extensions[i])) {
            index = static_cast<int>(i);
            return path;
        }
    }
    return {};
}
