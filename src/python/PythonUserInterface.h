#pragma once

#include "PythonFailure.h"

#include "core/UserInterface.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// What the core asks of a script: every message is kept (in order) instead of shown, a
// question is answered from the answers the call was given by message id (id 0 for the
// questions with a text of their own, such as "... already exists. Do you want to replace
// it?"), otherwise with the first button as on the command line; a file question is
// answered with the path the call names. The caller raises the kept message when the
// operation it ran refused, so that the core finishes its own failure path first and never
// sees an exception go through it.
class PythonUserInterface : public UserInterface {
public:
    struct Shown {
        int id = 0;
        std::string text;
        bool question = false;
    };

    explicit PythonUserInterface(std::map<int, MessageAnswer> answers = {})
        : answers_(std::move(answers)) {}

    MessageAnswer Show(const Message& message) override;
    std::optional<FileChoice> AskOpenFile(const FileQuestion& question) override;
    std::optional<FileChoice> AskSaveFile(const FileQuestion& question) override;

    void SetAnswer(int id, MessageAnswer answer) { answers_[id] = answer; }
    void SetFileAnswer(const std::string& path) { fileAnswer_ = path; }
    const std::vector<Shown>& Messages() const { return shown_; }

    // The failure a refusal raises: the last message shown (a question answered with its
    // refusing button counts), or `fallback` when the core said nothing.
    PythonFailure Failure(PythonFailure::Kind kind, const std::string& fallback) const;

private:
    std::optional<FileChoice> AnswerFile(const FileQuestion& question) const;

    std::map<int, MessageAnswer> answers_;
    std::optional<std::string> fileAnswer_;
    std::vector<Shown> shown_;
};
