#pragma once

#include "PythonUserInterface.h"
#include "QuietHostBus.h"
#include "WorkspaceFacts.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "document/HeadlessView.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "settings/ProfileStore.h"
#include "synthesis/CrtRandom.h"

#include <string>
#include <utility>
#include <vector>

// A workspace folder (as `consolux prepare` makes one) in which a script works as the
// command-line tool does: every call is one run of the tool (start-up, the document, the
// command, the end), so a script and `wavesmith-cli` in the same folder see and leave the
// same files.
class PythonWorkspace {
public:
    PythonWorkspace(const std::string& folder, OperatingMode mode);

    const std::string& Folder() const { return folder_; }
    OperatingMode Mode() const { return mode_; }
    // The notification codes the current (or last) run posted for the host.
    const std::vector<int>& Notices() const { return bus_.posted; }
    // The messages the last call's run showed, in order.
    const std::vector<PythonUserInterface::Shown>& Messages() const { return messages_; }

    // Runs work(session, ui) in one run of the tool. A start-up the rules refuse, or a
    // file the run could not write, raises the message the run showed.
    template <class Work> auto Run(PythonUserInterface& ui, Work&& work) {
        // A run is a process of the tool: its noise starts from the first rand() again.
        CrtRandom::Process() = CrtRandom();
        bus_.posted.clear();
        WorkspaceFacts facts(folder_);
        ToolSession session(facts, ui, bus_);
        session.ForceMode(mode_);
        if (!session.Start()) {
            Keep(ui);
            throw ui.Failure(PythonFailure::Kind::File, "no workspace in " + folder_);
        }
        HeadlessView view;
        WaveDoc& document = session.Document();
        document.SetView(&view);
        RunEnd end{document, ui, messages_};
        if (view.closeRequested) {
            throw ui.Failure(PythonFailure::Kind::Rule,
                             "the workspace's settings refuse this mode");
        }
        if (!session.Mode().RendersFromDesign()) {
            session.Segments().OpenActiveSegment();
            document.ResetAnchors();
        }
        auto result = work(session, ui);
        if (document.WriteFailed() || session.Services().store.WriteFailed()) {
            throw ui.Failure(PythonFailure::Kind::File,
                             "a file of the workspace could not be written");
        }
        return result;
    }

private:
    // However the run ends, the view goes first and the run's messages are kept.
    struct RunEnd {
        WaveDoc& document;
        const PythonUserInterface& ui;
        std::vector<PythonUserInterface::Shown>& messages;
        ~RunEnd() {
            document.SetView(nullptr);
            messages = ui.Messages();
        }
    };
    void Keep(const PythonUserInterface& ui) { messages_ = ui.Messages(); }

    std::string folder_;
    OperatingMode mode_;
    QuietHostBus bus_;
    std::vector<PythonUserInterface::Shown> messages_;
};
