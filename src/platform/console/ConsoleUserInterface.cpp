#include "platform/console/ConsoleUserInterface.h"

#include "core/StringTable.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// --yes means "the affirmative button" of any box, --no the negative one.
MessageAnswer Choose(ConsoleUserInterface::Policy policy, MessageButtons buttons) {
    switch (policy) {
    case ConsoleUserInterface::Policy::Yes:
        return OffersAnswer(buttons, MessageAnswer::Yes) ? MessageAnswer::Yes : MessageAnswer::Ok;
    case ConsoleUserInterface::Policy::No:
        if (OffersAnswer(buttons, MessageAnswer::No)) {
            return MessageAnswer::No;
        }
        return OffersAnswer(buttons, MessageAnswer::Cancel) ? MessageAnswer::Cancel
                                                            : FirstAnswer(buttons);
    case ConsoleUserInterface::Policy::Cancel:
        if (OffersAnswer(buttons, MessageAnswer::Cancel)) {
            return MessageAnswer::Cancel;
        }
        return OffersAnswer(buttons, MessageAnswer::No) ? MessageAnswer::No : FirstAnswer(buttons);
    default:
        return FirstAnswer(buttons);
    }
}

const char* AnswerName(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Cancel:
        return "Cancel";
    case MessageAnswer::Yes:
        return "Yes";
    case MessageAnswer::No:
        return "No";
    default:
        return "OK";
    }
}

} // namespace

MessageAnswer ConsoleUserInterface::Show(const Message& message) {
    const MessageAnswer answer = Choose(policy_, message.buttons);
    std::string text =
        message.caption.empty() ? message.text : message.caption + ": " + message.text;
    // A built text under a table text as its caption ("Value out of range...", 3002) is
    // known to scripts by the caption's id.
    const int id = message.id != 0 ? message.id : MessageIdOf(message.caption);
    std::fprintf(stderr, "message %d: %s\n", id, text.c_str());
    if (message.buttons != MessageButtons::Ok) {
        std::fprintf(stderr, "answer: %s\n", AnswerName(answer));
    }
    return answer;
}

std::optional<FileChoice> ConsoleUserInterface::AnswerFile(const FileQuestion& question) {
    if (!fileAnswer_) {
        return std::nullopt;
    }
    FileChoice choice{*fileAnswer_, question.filterIndex};
    fileAnswer_.reset();
    return choice;
}

std::optional<FileChoice> ConsoleUserInterface::AskOpenFile(const FileQuestion& question) {
    return AnswerFile(question);
}

std::optional<FileChoice> ConsoleUserInterface::AskSaveFile(const FileQuestion& question) {
    std::optional<FileChoice> choice = AnswerFile(question);
    // The save dialog asks before it replaces a file, as the desktop's dialog does.
    std::error_code error;
    if (choice && std::filesystem::exists(choice->path, error) && !ConfirmReplace(choice->path)) {
        return std::nullopt;
    }
    return choice;
}
