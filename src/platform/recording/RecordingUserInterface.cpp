#include "platform/recording/RecordingUserInterface.h"

namespace {

// Every report goes into the interface's list; the scripted one answers Cancel.
class RecordingProgress : public ProgressDisplay {
public:
    explicit RecordingProgress(RecordingUserInterface& ui) : ui_(ui) {}
    bool Report(double done) override {
        const bool cancel = static_cast<int>(ui_.progressReports.size()) == ui_.cancelAtReport;
        ui_.progressReports.push_back(done);
        return !cancel;
    }

private:
    RecordingUserInterface& ui_;
};

} // namespace

std::unique_ptr<ProgressDisplay> RecordingUserInterface::BeginProgress(const std::string& what) {
    progressTitles.push_back(what);
    return std::make_unique<RecordingProgress>(*this);
}

MessageAnswer RecordingUserInterface::Show(const Message& message) {
    messages.push_back(message);
    if (answers.empty()) {
        return FirstAnswer(message.buttons);
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<FileChoice> RecordingUserInterface::AskOpenFile(const FileQuestion& question) {
    fileQuestions.push_back(question);
    if (fileAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<FileChoice> RecordingUserInterface::AskSaveFile(const FileQuestion& question) {
    return AskOpenFile(question);
}

std::vector<int> RecordingUserInterface::MessageIds() const {
    std::vector<int> ids;
    for (const auto& message : messages) {
        ids.push_back(message.id);
    }
    return ids;
}

void RecordingUserInterface::Clear() {
    messages.clear();
    fileQuestions.clear();
    answers.clear();
    fileAnswers.clear();
    progressTitles.clear();
    progressReports.clear();
    cancelAtReport = -1;
}
