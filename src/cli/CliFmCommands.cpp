// wavesmith-cli fm: the FM editor's deviation field, markers table, marker bar and
// marker positions.
#include "cli/CliApp.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "document/DocumentMode.h"
#include "document/WaveDoc.h"
#include "fm/FmMarkersDialog.h"
#include "settings/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

void PrintLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::printf("%s\n", line.c_str());
    }
}

// The words of "fm markers" checked before anything runs: each action with its argument.
std::string MarkerActionsProblem(const Words& words) {
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& action = words[i];
        if (action == "remove-all" || action == "list" || action == "store") {
            continue;
        }
        if (action != "add" && action != "delete" && action != "sort") {
            return "fm markers has no action " + action +
                   " (add TEXT, delete ROW, remove-all, sort asc|desc, list, store)";
        }
        if (i + 1 >= words.size()) {
            return "fm markers " + action + " takes an argument";
        }
        const std::string& argument = words[++i];
        double row = 0.0;
        if (action == "delete" &&
            (!ParseWholeDouble(argument, row) || row != std::trunc(row) || row < 1 || row > 1e9)) {
            return "fm markers delete takes a display row from 1, not " + argument;
        }
        if (action == "sort" && argument != "asc" && argument != "desc") {
            return "fm markers sort takes asc or desc";
        }
    }
    return {};
}

// One opening of the markers table: the actions in order, then Store & Update when the
// last action is "store", otherwise Close with its question.
int RunMarkerActions(ToolSession& session, const Words& words) {
    WaveDoc& document = session.Document();
    FmMarkersDialog dialog(session.Services(), document.Fm());
    dialog.Load();
    bool refused = false;
    bool stored = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& action = words[i];
        stored = false;
        if (action == "add") {
            const auto outcome = dialog.Add(words[++i]);
            refused |= outcome == FmMarkersDialog::AddOutcome::NotANumber ||
                       outcome == FmMarkersDialog::AddOutcome::TooLarge;
        } else if (action == "delete") {
            const std::string& row = words[++i];
            if (!dialog.DeleteRow(static_cast<int>(LeadingDouble(row)) - 1)) {
                std::fprintf(stderr, "wavesmith-cli: the markers table has no row %s\n",
                             row.c_str());
                refused = true;
            }
        } else if (action == "sort") {
            dialog.SetAscending(words[++i] == "asc");
        } else if (action == "remove-all") {
            dialog.RemoveAll();
        } else if (action == "list") {
            PrintLines(dialog.DisplayTexts());
        } else if (action == "store") {
            stored = true;
        }
    }
    if (stored) {
        if (!dialog.Store()) {
            return CliApp::Refused;
        }
        document.RebuildMarkerBar();
        document.RebuildMarkerSamples();
    } else {
        dialog.Close();
    }
    return refused ? CliApp::Refused : CliApp::Success;
}

int SetDeviation(WaveDoc& document, const Words& words) {
    const std::string typed = words[1].substr(0, 19);
    const std::string shown = document.SetFmDeviation(words[1]);
    std::printf("%s\n", shown.c_str());
    return shown == typed && document.Fm().Deviation() == LeadingDouble(typed) ? CliApp::Success
                                                                               : CliApp::Refused;
}

} // namespace

std::string CliApp::FmWordsProblem(const Words& words, const DocumentMode& mode) {
    if (!mode.HasFmFields()) {
        return "fm is available with --mode fm only";
    }
    const std::string& verb = words[0];
    if (verb == "deviation") {
        return words.size() == 2 ? std::string() : "fm deviation takes one TEXT";
    }
    if (verb == "markers") {
        return MarkerActionsProblem(words);
    }
    if (words.size() != 1 || (verb != "bar" && verb != "crossings")) {
        return "fm takes deviation TEXT, markers [ACTION]..., bar or crossings";
    }
    return {};
}

// The words fit: the command table checked them before the start-up.
int CliApp::Fm(ToolSession& session, ConsoleUserInterface&) {
    const Words& words = options_.words;
    WaveDoc& document = session.Document();
    const std::string& verb = words[0];
    if (verb == "deviation") {
        return SetDeviation(document, words);
    }
    if (verb == "markers") {
        return RunMarkerActions(session, words);
    }
    if (verb == "bar") {
        PrintLines(document.FmMarkers().BarItems());
        return Success;
    }
    for (const std::int32_t position : document.FmMarkers().SampleList()) {
        std::printf("%d\n", static_cast<int>(position));
    }
    return Success;
}
