#pragma once

#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

// A document drawn into a headless view, with the file commands of the main window; unless
// told otherwise a standard-mode one, loaded on its active segment with the messages of the
// start-up cleared.
class DocumentFixture : public ::testing::Test {
protected:
    explicit DocumentFixture(const std::string& family = "QW2182",
                             OperatingMode mode = OperatingMode::Standard, bool load = true)
        : workspace(family, mode), document(workspace.services, workspace.Mode()),
          chooser(workspace.state, workspace.ui, workspace.Mode()), files(document, chooser) {
        document.SetView(&view);
        if (load) {
            workspace.OpenActiveSegment(document);
            workspace.ui.Clear();
        }
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

// An FM document of the QW2182 family before it loads its segment.
class FmDocumentFixture : public DocumentFixture {
protected:
    FmDocumentFixture() : DocumentFixture("QW2182", OperatingMode::Fm, false) {}
};
