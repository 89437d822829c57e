#include "platform/recording/RecordingUserInterface.h"

namespace {

MessageAnswer FirstButton(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    default:
        return MessageAnswer::Ok;
    }
}

} // namespace

MessageAnswer RecordingUserInterface::Show(const Message& message) {
    messages.push_back(message);
    if (answers.empty()) {
        return FirstButton(message.buttons);
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
}
