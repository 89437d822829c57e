#include "PythonUserInterface.h"

#include "core/StringTable.h"

MessageAnswer PythonUserInterface::Show(const Message& message) {
    Shown shown;
    shown.id = message.id;
    shown.text = message.text.empty() && message.id > 0 ? MessageText(message.id) : message.text;
    shown.question = message.buttons != MessageButtons::Ok;
    shown_.push_back(shown);
    const auto given = answers_.find(message.id);
    // An answer the box does not offer (No to an OK/Cancel box) is its refusing button.
    if (given != answers_.end() && shown.question) {
        if (OffersAnswer(message.buttons, given->second)) {
            return given->second;
        }
        return message.buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                           : MessageAnswer::No;
    }
    return FirstAnswer(message.buttons);
}

std::optional<FileChoice> PythonUserInterface::AskOpenFile(const FileQuestion& question) {
    return AnswerFile(question);
}

std::optional<FileChoice> PythonUserInterface::AskSaveFile(const FileQuestion& question) {
    return AnswerFile(question);
}

std::optional<FileChoice> PythonUserInterface::AnswerFile(const FileQuestion& question) const {
    if (!fileAnswer_) {
        return std::nullopt;
    }
    FileChoice choice;
    choice.path = *fileAnswer_;
    choice.filterIndex = question.filterIndex;
    return choice;
}

PythonFailure PythonUserInterface::Failure(PythonFailure::Kind kind,
                                           const std::string& fallback) const {
    if (shown_.empty()) {
        return PythonFailure(kind, fallback);
    }
    const Shown& last = shown_.back();
    return PythonFailure(kind, last.text, last.id);
}
