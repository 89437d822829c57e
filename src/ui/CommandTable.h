#pragma once

#include "core/OperatingMode.h"

#include <QString>

// The menu text and the prompt of every command id. A prompt is the status bar text, a
// line end and the tool-tip; the view's edit commands take their prompts from the view.
class CommandTable {
public:
    // The menu item's text with its mnemonic; the pulse designer's File menu names the
    // commands without "Waveform". Empty for an unknown id.
    static QString MenuText(int commandId, OperatingMode mode);
    static QString Prompt(int commandId, OperatingMode mode);
    static QString StatusText(int commandId, OperatingMode mode);
    static QString ToolTip(int commandId, OperatingMode mode);
};
