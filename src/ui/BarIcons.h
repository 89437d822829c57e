#pragma once

#include <QIcon>

// The images of the tool bar buttons, the parameter bar's picture labels and the window.
// They are drawn as vector art each time they are painted, in the colours of the current
// palette, so they stay sharp at every screen scale and follow light and dark themes.
class BarIcons {
public:
    enum class Picture { Length, Segment, Deviation, Amplitude };

    // The button image of a menu command (CommandId); a null icon for commands that
    // have no button.
    static QIcon ForCommand(int commandId);
    static QIcon ForPicture(Picture picture);
    static QIcon Application();
};
