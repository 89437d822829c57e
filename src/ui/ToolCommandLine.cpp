#include "ui/ToolCommandLine.h"

#include "core/ManualPage.h"

ToolCommandLine::Request ToolCommandLine::Parse(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return Request::Run;
    }
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h") {
        return Request::Help;
    }
    if (first == "--version") {
        return Request::Version;
    }
    return first == "--help-man" ? Request::Manual : Request::Run;
}

std::string ToolCommandLine::Usage() {
    return "usage:\n"
           "  wavesmith [FMS|PLS]     in a workspace prepared by the host (consolux prepare)\n"
           "  wavesmith --help | --version\n"
           "The host starts the tool; to try it, run `consolux demo`.\n";
}

std::string ToolCommandLine::Manual(const std::string& version) {
    ManualPage page("wavesmith", version,
                    "design the waveforms of a two-channel arbitrary waveform generator");
    page.AddSynopsis("[FMS|PLS]");
    page.AddSynopsis("--help | --version");
    page.StartSection("description");
    page.AddParagraph("The waveform design tool. Its host program starts it with the current "
                      "folder set to a workspace that holds the instrument family files and one "
                      "working folder per user; consolux(1) prepares such a workspace and "
                      "plays the host. Without the workspace's context file the tool says "
                      "\"Invalid application path\" and ends.");
    page.StartSection("modes");
    page.AddItem("(no word)", "the standard editor: signed 16-bit sample codes per segment");
    page.AddItem("FMS", "the FM editor: the course of the instantaneous frequency");
    page.AddItem("PLS", "the pulse designer");
    page.StartSection("options");
    page.AddItem("--help, -h", "prints the usage");
    page.AddItem("--version", "prints the version");
    page.StartSection("environment");
    page.AddItem("WAVESMITH_REGISTRY_DIR",
                 "the folder of the registry files (window layout, the command mailbox to the "
                 "host); $XDG_CONFIG_HOME/wavesmith by default");
    page.AddItem("DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM",
                 "where the window is shown; without any of them the tool says how to get a "
                 "display instead of starting");
    page.StartSection("exit status");
    page.AddParagraph("0 closed normally, 1 the start-up failed (after its message) or no "
                      "display was found.");
    page.StartSection("see also");
    page.AddParagraph("wavesmith-cli(1), consolux(1), awg-sim(1)");
    return page.Text();
}
