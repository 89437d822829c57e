#pragma once

#include "core/UserInterface.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

// The questions of the core as Qt dialogs: message boxes with the buttons and icon each
// rule names, and the file dialogs with the mode's filters. One path can be handed in
// ahead of time (a file dropped on the window): the next open question is answered with
// it without a dialog, so the dialog's extension rules still apply to it.
class QtUserInterface : public UserInterface {
public:
    MessageAnswer Show(const Message& message) override;
    std::optional<FileChoice> AskOpenFile(const FileQuestion& question) override;
    std::optional<FileChoice> AskSaveFile(const FileQuestion& question) override;
    std::unique_ptr<ProgressDisplay> BeginProgress(const std::string& what) override;

    // The caption of messages that name none: the mode's title once it is known.
    void SetCaption(const QString& caption) { caption_ = caption; }
    // The window that message boxes and dialogs belong to (the active window when unset),
    // unless a MessageOwner names another one for the work running now.
    void SetParentWindow(QWidget* parent) { parent_ = parent; }
    // The next AskOpenFile returns this path with the question's preselected filter.
    void AnswerNextOpenWith(const QString& path) { pendingOpen_ = path; }

    // "desc (*.a *.b)" for each filter, in order; the description is shown as it stands.
    static QStringList NameFilters(const FileQuestion& question);

private:
    static void KeepCaptionWhole(QMessageBox& box, const QString& title);
    std::optional<FileChoice> AskFile(const FileQuestion& question, bool open);
    QWidget* Parent() const;

    QString caption_ = QStringLiteral("Wavesmith");
    QPointer<QWidget> parent_;
    QString pendingOpen_;
};
