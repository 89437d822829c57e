#pragma once

#include <string>
#include <vector>

// The folders outside the workspace into which this user's runs write files (an export, a
// Save As beside the user's own files), one a line in a small file of the user folder. A
// writer notes its folder here before it creates its temporary file there, so that the
// next start-up removes what a killed run left in those folders too; without the list
// such a left-over would go only when the next file is written into the same folder.
class TemporaryFolderList {
public:
    // The list this process keeps, and the folders start-up sweeps anyway (they need no
    // entry). Until this is called no list is kept.
    static void Use(const std::string& listPath, const std::vector<std::string>& sweptFolders);
    // Adds the folder unless it is swept anyway or listed already; the oldest entries go
    // beyond kMaxFolders. A list that cannot be written costs only the early removal: the
    // write that asked goes on.
    static void Note(const std::string& folder);
    // The listed folders; none when the file is missing.
    static std::vector<std::string> Read(const std::string& listPath);

    static constexpr std::size_t kMaxFolders = 64;
};
