#pragma once

#include "core/UserInterface.h"

#include <deque>
#include <vector>

// A user interface for tests: records every message and file question, and answers
// from scripted queues (the first button, or no file, when a queue is empty).
class RecordingUserInterface : public UserInterface {
public:
    MessageAnswer Show(const Message& message) override;
    std::optional<FileChoice> AskOpenFile(const FileQuestion& question) override;
    std::optional<FileChoice> AskSaveFile(const FileQuestion& question) override;

    std::vector<Message> messages;
    std::vector<FileQuestion> fileQuestions;
    std::deque<MessageAnswer> answers;
    std::deque<std::optional<FileChoice>> fileAnswers;

    // Ids of the messages shown so far (0 for built texts).
    std::vector<int> MessageIds() const;
    void Clear();
};
