#include "cli/CliOptions.h"

#include "settings/NumberFormat.h"

namespace {

bool ParseMode(const std::string& text, OperatingMode& mode) {
    if (text == "std") {
        mode = OperatingMode::Standard;
    } else if (text == "fm") {
        mode = OperatingMode::Fm;
    } else if (text == "pulse") {
        mode = OperatingMode::Pulse;
    } else {
        return false;
    }
    return true;
}

bool IsValueOption(const std::string& name) {
    return name == "--from" || name == "--to" || name == "--amp" || name == "--period";
}

} // namespace

const char* CliOptions::Usage() {
    return "usage: wavesmith-cli [--mode std|fm|pulse] [--yes|--no|--cancel] COMMAND ...\n"
           "commands:\n"
           "  paths                         the workspace's fixed paths\n"
           "  info                          length, mode, channel, segment, path, range\n"
           "  new | save | undo             the document commands\n"
           "  open FILE | save-as FILE      with FILE as the file dialog's answer\n"
           "  length N | segment N | channel 1|2\n"
           "  eval TEXT [--from S] [--to E] [--amp A] [--period P]\n"
           "  generate NAME [--set KEY=TEXT]...   sine triangle square sinc gaussian\n"
           "                                      exponent pulse noise equation\n"
           "  edit OP --anchors A B         filter smooth invert trim-left trim-right\n"
           "  export FILE                   by extension: .wav .wvf .wfm .asc .asf .afm .csv\n"
           "  convert IN OUT                convert a file without touching the workspace\n"
           "  download                      the Download command of the mode\n"
           "  dump [--text]                 the current samples, one a line\n";
}

std::optional<std::string> CliOptions::Parse(int argc, const char* const* argv, CliOptions& out) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--mode") {
            if (i + 1 >= argc || !ParseMode(argv[i + 1], out.mode)) {
                return "--mode takes std, fm or pulse";
            }
            ++i;
        } else if (word == "--yes") {
            out.policy = ConsoleUserInterface::Policy::Yes;
        } else if (word == "--no") {
            out.policy = ConsoleUserInterface::Policy::No;
        } else if (word == "--cancel") {
            out.policy = ConsoleUserInterface::Policy::Cancel;
        } else if (word.rfind("--", 0) == 0) {
            return "unknown option " + word;
        } else {
            break;
        }
    }
    if (i >= argc) {
        return "no command given";
    }
    out.command = argv[i++];
    for (; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--set") {
            if (i + 1 >= argc) {
                return "--set takes KEY=TEXT";
            }
            const std::string setting = argv[++i];
            const auto equals = setting.find('=');
            if (equals == std::string::npos || equals == 0) {
                return "--set takes KEY=TEXT, not " + setting;
            }
            out.settings.emplace_back(setting.substr(0, equals), setting.substr(equals + 1));
        } else if (word == "--anchors") {
            double a = 0;
            double b = 0;
            if (i + 2 >= argc || !ParseWholeDouble(argv[i + 1], a) ||
                !ParseWholeDouble(argv[i + 2], b)) {
                return "--anchors takes two point numbers";
            }
            out.anchors = std::make_pair(a, b);
            i += 2;
        } else if (word == "--text") {
            out.textDump = true;
        } else if (IsValueOption(word)) {
            double value = 0;
            if (i + 1 >= argc || !ParseWholeDouble(argv[i + 1], value)) {
                return word + " takes a number";
            }
            out.options[word.substr(2)] = argv[++i];
        } else if (word.rfind("--", 0) == 0 && word.size() > 2) {
            return "unknown option " + word;
        } else {
            out.words.push_back(word);
        }
    }
    return std::nullopt;
}
