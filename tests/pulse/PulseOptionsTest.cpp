#include "pulse/PulseOptions.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

TEST(PulseOptionsRead, EmptyMissingOrForeignValuesGiveTheDefaults) {
    struct Case {
        const char* segmentation;
        const char* memory;
        const char* stepping;
        int wantSegmentation, wantMemory;
        unsigned wantStepping;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, 1, 1, 200},
        {"", "", "", 1, 1, 200},
        {"0", "0", "50", 0, 0, 50},
        {"2", "1", "7", 2, 1, 7},
        {"9", "-1", "-5", 1, 1, 200},
        {"abc", "x", "1e3", 1, 1, 1},
    };
    for (const Case& c : cases) {
        TempWorkspace ws("QW2182", OperatingMode::Pulse);
        if (c.segmentation != nullptr) {
            ws.store.WriteHostValue("forceSingSeg", c.segmentation, "PulseSmith");
            ws.store.WriteHostValue("memUse", c.memory, "PulseSmith");
            ws.store.WriteHostValue("yRes", c.stepping, "PulseSmith");
        }
        const PulseOptions options(ws.store);
        EXPECT_EQ(options.SegmentationChoice(), c.wantSegmentation);
        EXPECT_EQ(options.MemoryChoice(), c.wantMemory);
        EXPECT_EQ(options.SingleStepping(), c.wantStepping);
    }
}

TEST(PulseOptionsDialog, OkWritesBothChoicesAndCancelNothing) {
    TempWorkspace ws("QW2182", OperatingMode::Pulse);
    PulseOptions options(ws.store);
    options.BeginDialog();
    options.SetDialogSegmentation(PulseOptions::kSequenceAllowed);
    options.SetDialogMemoryUse(PulseOptions::kUnusedMemoryOnly);
    options.Cancel();
    EXPECT_EQ(options.SegmentationChoice(), PulseOptions::kForceSingleSegment);
    EXPECT_EQ(ws.store.ReadHostValue("PulseSmith", "forceSingSeg"), "");

    options.BeginDialog();
    EXPECT_EQ(options.DialogSegmentation(), PulseOptions::kForceSingleSegment);
    options.SetDialogSegmentation(PulseOptions::kSequenceAllowed);
    options.Ok();
    EXPECT_EQ(ws.store.ReadHostValue("PulseSmith", "forceSingSeg"), "0");
    EXPECT_EQ(ws.store.ReadHostValue("PulseSmith", "memUse"), "1");
    EXPECT_EQ(ws.store.ReadHostValue("PulseSmith", "yRes"), ""); // never written
    EXPECT_EQ(PulseOptions(ws.store).SegmentationChoice(), PulseOptions::kSequenceAllowed);
}
