#pragma once

#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

// A standard-mode document on its active segment, drawn into a headless view, with the file
// commands of the main window; the messages of the start-up are cleared.
class DocumentFixture : public ::testing::Test {
protected:
    DocumentFixture()
        : document(workspace.services, workspace.Mode()),
          chooser(workspace.state, workspace.ui, workspace.Mode()), files(document, chooser) {
        document.SetView(&view);
        document.LoadActiveSegment();
        workspace.ui.Clear();
    }
    ~DocumentFixture() override { document.SetView(nullptr); }

    // The working file of segment 1 on channel 1.
    std::string Working() const { return workspace.state.userFolder + "/TemS1.wa0"; }

    TempWorkspace workspace;
    HeadlessView view;
    WaveDoc document;
    FileChooser chooser;
    FileCommands files;
};
