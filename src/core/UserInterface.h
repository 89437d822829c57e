#pragma once

#include "core/ProgressDisplay.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Whether a box with these buttons offers the answer, and the answer of its first button
// (the one Enter chooses, and the one a run without a user gives).
bool OffersAnswer(MessageButtons buttons, MessageAnswer answer);
MessageAnswer FirstAnswer(MessageButtons buttons);

// One message box: either a string-table entry (id > 0, text taken from the table
// unless given) or a built text (id 0). The caption is empty for the application name.
struct Message {
    int id = 0;
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::Exclamation;
};

struct FileFilter {
    std::string description;             // "Wave Files (*.wav)"
    std::vector<std::string> extensions; // {".wav"}
};

struct FileQuestion {
    std::string title;
    std::vector<FileFilter> filters;
    int filterIndex = 0; // zero-based index of the preselected filter
    std::string folder;  // initial folder
    std::string fileName;
    std::string defaultExtension;
};

struct FileChoice {
    std::string path;
    int filterIndex = 0;
};

// Everything the core asks of the person at the screen. The Qt adapter shows real
// dialogs, the console adapter prints and answers from the command line, and tests use
// a recording fake with scripted answers.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MessageAnswer Show(const Message& message) = 0;
    virtual std::optional<FileChoice> AskOpenFile(const FileQuestion& question) = 0;
    virtual std::optional<FileChoice> AskSaveFile(const FileQuestion& question) = 0;
    // The progress of the work named `what` ("Importing values.asc"). Without an
    // implementation of its own, nobody can stop the work and nothing is shown, as on a
    // console.
    virtual std::unique_ptr<ProgressDisplay> BeginProgress(const std::string& what);

    // Shows string-table message `id` with the given buttons.
    MessageAnswer ShowMessage(int id, MessageButtons buttons = MessageButtons::Ok,
                              MessageIcon icon = MessageIcon::Exclamation);
    // Shows a built text under a caption.
    MessageAnswer ShowText(const std::string& text, const std::string& caption,
                           MessageButtons buttons = MessageButtons::Ok,
                           MessageIcon icon = MessageIcon::Exclamation);
    // "<path> already exists. Do you want to replace it?", as a save dialog asks before it
    // replaces a file; true on Yes.
    bool ConfirmReplace(const std::string& path);
};
