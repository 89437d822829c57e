#include "CommandUnit.h"

std::string CommandUnit::HeaderText() const {
    std::string text = common ? "*" : "";
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) {
            text += ':';
        }
        text += path[i];
    }
    if (query) {
        text += '?';
    }
    return text;
}
