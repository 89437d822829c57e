#include "workspace/Workspace.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

namespace {

Workspace HostView(const TempWorkspace& tool) {
    return *Workspace::Open(tool.Folder(), tool.state.userTag);
}

} // namespace

TEST(ConsoluxWorkspace, OpenFindsTheFamilyTheContextNames) {
    TempWorkspace tool("G4270");
    const auto workspace = Workspace::Open(tool.Folder(), "$tst");
    ASSERT_TRUE(workspace);
    EXPECT_EQ(workspace->Family(), "G4270");
    EXPECT_EQ(workspace->ContextFile(), tool.state.contextFile);
    EXPECT_EQ(workspace->FamilyFile(), tool.state.familyFile);
    EXPECT_EQ(workspace->LinkKeyPath(), "Software\\Quellwerk\\Glyptor3.2\\DwnStr");
    EXPECT_FALSE(Workspace::Open(tool.Folder(), "$oth"));
}

TEST(ConsoluxWorkspace, HostChangesOfTheActiveSegmentKeepTheOtherChannel) {
    TempWorkspace tool;
    tool.SetContext("Settings", "ActiveSeg", "3 7");
    const Workspace workspace = HostView(tool);
    workspace.SetActiveSegment(1, 9);
    EXPECT_EQ(tool.Context("Settings", "ActiveSeg"), "3 9");
    workspace.SetActiveSegment(0, 12);
    EXPECT_EQ(tool.Context("Settings", "ActiveSeg"), "12 9");
    EXPECT_EQ(workspace.ActiveSegment(0), 12);
    EXPECT_EQ(workspace.ActiveSegment(1), 9);
}

TEST(ConsoluxWorkspace, ShortSegmentListIsExtendedForTheChosenChannel) {
    TempWorkspace tool;
    tool.SetContext("Settings", "ActiveSeg", "5");
    const Workspace workspace = HostView(tool);
    EXPECT_EQ(workspace.ActiveSegment(1), 1);
    tool.SetContext("Settings", "ActiveSeg", "x 99999999999");
    EXPECT_EQ(workspace.ActiveSegment(0), 1) << "no number";
    EXPECT_EQ(workspace.ActiveSegment(1), 1) << "beyond an int";
    tool.SetContext("Settings", "ActiveSeg", "5");
    workspace.SetActiveSegment(1, 4);
    EXPECT_EQ(tool.Context("Settings", "ActiveSeg"), "5 4");
    workspace.SetActiveChannel(1);
    EXPECT_EQ(workspace.ActiveChannel(), 1);
    EXPECT_EQ(tool.Context("Settings", "ActiveCh"), "1");
}
