#pragma once

#include "core/UserInterface.h"

#include <optional>
#include <string>

// The user interface of the command-line tool: every message is printed to stderr as
// "message <id>: <text>", questions are answered by the run's --yes, --no or --cancel
// (the first button otherwise), and a file dialog is answered with the file named on
// the command line.
class ConsoleUserInterface : public UserInterface {
public:
    enum class Policy { FirstButton, Yes, No, Cancel };

    explicit ConsoleUserInterface(Policy policy = Policy::FirstButton) : policy_(policy) {}

    MessageAnswer Show(const Message& message) override;
    std::optional<FileChoice> AskOpenFile(const FileQuestion& question) override;
    std::optional<FileChoice> AskSaveFile(const FileQuestion& question) override;

    // The path the next file dialog answers with; without one the dialog is cancelled.
    void SetFileAnswer(const std::string& path) { fileAnswer_ = path; }

private:
    std::optional<FileChoice> AnswerFile(const FileQuestion& question);

    Policy policy_;
    std::optional<std::string> fileAnswer_;
};
