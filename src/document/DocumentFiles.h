#pragma once

#include <string>

// Which files a document's waveform belongs to: the current file, where every
// change is written and where the host reads it; the name Save writes to, which
// stays empty for a file of the working folder so that Save asks for one; and
// the working folder itself.
class DocumentFiles {
public:
    explicit DocumentFiles(std::string workingFolder) : workingFolder_(std::move(workingFolder)) {}

    const std::string& Current() const { return current_; }
    const std::string& SaveName() const { return saveName_; }
    bool IsInWorkingFolder(const std::string& path) const;
    // The file the host picks up after a download, deleted when the document
    // closes.
    std::string DownloadFile() const { return workingFolder_ + "^^Dwn.wav"; }

    // The waveform now lives in `path` (a load or a commit); the save name stays.
    void MoveTo(const std::string& path) { current_ = path; }
    // Save writes to `path` from now on, unless it lies in the working folder.
    void NameAfter(const std::string& path);
    // Save writes to `path`, wherever it lies (the user chose it in the Save As
    // dialog).
    void NameExactly(const std::string& path) { saveName_ = path; }
    void ForgetName() { saveName_.clear(); }

private:
    std::string workingFolder_;
    std::string current_;
    std::string saveName_;
};
