#pragma once

#include "core/UserInterface.h"

#include <string>
#include <vector>

struct AppState;
class DocumentMode;

// The open and save dialogs of the waveform files, with the mode's filters and the
// extension rules. One object serves the whole run: it remembers the folder of the last
// chosen file and the last selected filter from one dialog to the next.
class FileChooser {
public:
    // The mode gives the file types and the filters.
    FileChooser(const AppState& state, UserInterface& ui, const DocumentMode& mode);

    // Asks for a file; `visibleFileName` (the document's) gives the initial file name.
    // Returns the chosen path with `index` set to its type's position in Extensions(), or
    // an empty path on Cancel, or after message 3009 for a name whose extension is not one
    // of the mode's (index is then left as it was).
    std::string ChooseFile(bool open, int& index, const std::string& visibleFileName = {});

    // "desc|*.wav|desc2|*.0*||" -> {"desc", {".wav"}}, {"desc2", {".0*"}}.
    static std::vector<FileFilter> ParseFilterText(const std::string& text);

    // The folder the next dialog starts in (with its trailing separator).
    const std::string& Folder() const { return folder_; }
    int FilterIndex() const { return filterIndex_; }

private:
    std::string CheckExtension(std::string path, int selectedFilter, int& index) const;

    UserInterface& ui_;
    const DocumentMode& mode_;
    std::string folder_;
    int filterIndex_ = 0;
};
