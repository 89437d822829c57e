#include "settings/TemporaryFolderList.h"

#include "core/FileLock.h"
#include "settings/AtomicFileWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct ListInUse {
    std::string path;
    std::vector<std::string> swept;
};

ListInUse& InUse() {
    static ListInUse list;
    return list;
}

// Absolute, without "." and ".." and without a separator at the end, so that one folder
// is listed once however a path named it.
std::string NormalFolder(const std::string& folder) {
    std::error_code error;
    std::string text =
        fs::absolute(fs::path(folder.empty() ? "." : folder), error).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

bool Contains(const std::vector<std::string>& folders, const std::string& folder) {
    return std::find(folders.begin(), folders.end(), folder) != folders.end();
}

} // namespace

void TemporaryFolderList::Use(const std::string& listPath,
                              const std::vector<std::string>& sweptFolders) {
    ListInUse& list = InUse();
    list.path = listPath;
    list.swept.clear();
    for (const std::string& folder : sweptFolders) {
        list.swept.push_back(NormalFolder(folder));
    }
    // The list's own writes must not note its folder: that would ask for the list again.
    list.swept.push_back(NormalFolder(fs::path(listPath).parent_path().string()));
}

void TemporaryFolderList::Note(const std::string& folder) {
    const ListInUse& list = InUse();
    // Every safe write passes here: without a list in use it costs nothing.
    if (list.path.empty()) {
        return;
    }
    const std::string normal = NormalFolder(folder);
    if (normal.find('\n') != std::string::npos || Contains(list.swept, normal) ||
        Contains(Read(list.path), normal)) {
        return;
    }
    // Another run of this user may be adding a folder at the same time.
    const FileLock lock(list.path);
    if (!lock.Held()) {
        return;
    }
    std::vector<std::string> folders = Read(list.path);
    if (Contains(folders, normal)) {
        return;
    }
    folders.push_back(normal);
    const std::size_t excess = folders.size() > kMaxFolders ? folders.size() - kMaxFolders : 0;
    std::string text;
    for (auto entry = folders.begin() + static_cast<std::ptrdiff_t>(excess); entry != folders.end();
         ++entry) {
        text += *entry + "\n";
    }
    AtomicFileWriter::WriteWhole(list.path, text);
}

std::vector<std::string> TemporaryFolderList::Read(const std::string& listPath) {
    std::vector<std::string> folders;
    std::ifstream in(listPath);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            folders.push_back(line);
        }
    }
    return folders;
}
