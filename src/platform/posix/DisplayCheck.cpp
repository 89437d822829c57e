#include "platform/posix/DisplayCheck.h"

#include <cstdlib>

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

std::string DisplayCheck::MissingDisplayAdvice(const std::string& commandLine) {
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM")) {
        return {};
    }
    return "no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
           "Run it in a desktop session, over `ssh -X`, or on a virtual X server:\n"
           "  xvfb-run -a " +
           commandLine + "\n";
}
