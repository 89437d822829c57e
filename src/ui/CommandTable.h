#pragma once

#include <QString>

class FrameMode;

// A command's menu text with its mnemonic, and its prompt.
struct CommandText {
    int id;
    const char* menuText;
    const char* prompt;
};

// The menu text and the prompt of every command id. A prompt is the status bar text, a
// line end and the tool-tip; the view's edit commands take their prompts from the view.
class CommandTable {
public:
    // The menu item's text with its mnemonic, the mode's own text where it has one.
    // Empty for an unknown id.
    static QString MenuText(int commandId, const FrameMode& mode);
    static QString Prompt(int commandId, const FrameMode& mode);
    static QString StatusText(int commandId, const FrameMode& mode);
    static QString ToolTip(int commandId, const FrameMode& mode);
};
