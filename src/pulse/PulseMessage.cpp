#include "pulse/PulseMessage.h"

#include "core/StringTable.h"
#include "core/UserInterface.h"

std::string FormatPulseMessage(int id, const std::vector<std::string>& fields) {
    const std::string pattern = MessageText(id);
    std::string text;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t end = pattern.find_first_of("dsgf", i + 1);
        if (pattern[i] != '%' || end == std::string::npos || next >= fields.size()) {
            text += pattern[i];
            continue;
        }
        text += fields[next++];
        i = end;
    }
    return text;
}

void ShowPulseMessage(UserInterface& ui, int id, const std::vector<std::string>& fields) {
    Message message;
    message.id = id;
    message.text = FormatPulseMessage(id, fields);
    ui.Show(message);
}
