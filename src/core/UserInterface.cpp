#include "core/UserInterface.h"

#include "core/StringTable.h"

namespace {

class UnstoppableProgress : public ProgressDisplay {
public:
    bool Report(double) override { return true; }
};

} // namespace

bool OffersAnswer(MessageButtons buttons, MessageAnswer answer) {
    switch (buttons) {
    case MessageButtons::Ok:
        return answer == MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return answer == MessageAnswer::Ok || answer == MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
    case MessageButtons::YesNoCancel:
        return answer != MessageAnswer::Ok;
    }
    return false;
}

MessageAnswer FirstAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
               ? MessageAnswer::Yes
               : MessageAnswer::Ok;
}

std::unique_ptr<ProgressDisplay> UserInterface::BeginProgress(const std::string&) {
    return std::make_unique<UnstoppableProgress>();
}

MessageAnswer UserInterface::ShowMessage(int id, MessageButtons buttons, MessageIcon icon) {
    Message message;
    message.id = id;
    message.text = MessageText(id);
    message.buttons = buttons;
    message.icon = icon;
    return Show(message);
}

MessageAnswer UserInterface::ShowText(const std::string& text, const std::string& caption,
                                      MessageButtons buttons, MessageIcon icon) {
    Message message;
    message.text = text;
    message.caption = caption;
    message.buttons = buttons;
    message.icon = icon;
    return Show(message);
}

bool UserInterface::ConfirmReplace(const std::string& path) {
    return ShowText(path + " already exists.\nDo you want to replace it?", "",
                    MessageButtons::YesNo, MessageIcon::Exclamation) == MessageAnswer::Yes;
}
