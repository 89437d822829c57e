#pragma once

#include <string>

// Whether a program that opens windows has somewhere to show them. Qt ends such a program
// with SIGABRT when it finds no display; the programs ask first and say how to get one.
class DisplayCheck {
public:
    // Empty when a display is named (DISPLAY or WAYLAND_DISPLAY) or the user has chosen a
    // Qt platform (QT_QPA_PLATFORM, for example offscreen); otherwise the advice to print,
    // `commandLine` being the command to repeat under a virtual X server.
    static std::string MissingDisplayAdvice(const std::string& commandLine);
};
