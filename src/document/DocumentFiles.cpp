#include "document/DocumentFiles.h"

#include "settings/TextFormat.h"

bool DocumentFiles::IsInWorkingFolder(const std::string& path) const {
    return StartsWithNoCase(path, workingFolder_);
}

void DocumentFiles::NameAfter(const std::string& path) {
    saveName_ = IsInWorkingFolder(path) ? std::string() : path;
}
