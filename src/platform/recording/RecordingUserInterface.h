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
    std::unique_ptr<ProgressDisplay> BeginProgress(const std::string& what) override;

    std::vector<Message> messages;
    std::vector<FileQuestion> fileQuestions;
    std::deque<MessageAnswer> answers;
    std::deque<std::optional<FileChoice>> fileAnswers;
    // The work begun and every report of its progress, in order.
    std::vector<std::string> progressTitles;
    std::vector<double> progressReports;
    // The report (counted from 0 over all work) at which the user presses Cancel; -1 never.
    int cancelAtReport = -1;

    // Ids of the messages shown so far (0 for built texts).
    std::vector<int> MessageIds() const;
    void Clear();
};
