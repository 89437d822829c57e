#include "settings/ProfileBatch.h"

#include <gtest/gtest.h>

TEST(ProfileBatchApply, ChangesOnlyTheNamedSectionsAndKeepsSpellingAndLineEnds) {
    std::string text = "; head\r\n[Other]\r\nk=1\r\n[Pulse0-ch1]\r\nlocDur=1\r\nX=2 // c\r\n\r\n"
                       "[Tail]\r\nz=3";
    ProfileBatch batch;
    batch.Set("pulse0-CH1", "LocDur", "0.5"); // one key, spelt as the file spells it
    batch.Remove("Pulse0-ch1", "x");
    batch.Set("Pulse1-ch1", "Train", "1"); // a new section goes to the end
    batch.Copy("Pulse0-ch1", "Pulse2-ch1");
    batch.Clear("Pulse2-ch1");
    ASSERT_TRUE(batch.ApplyTo(text));
    EXPECT_EQ(text, "; head\r\n[Other]\r\nk=1\r\n[Pulse0-ch1]\r\nlocDur=0.5\r\n\r\n"
                    "[Tail]\r\nz=3\r\n[Pulse1-ch1]\r\nTrain=1\r\n");
    EXPECT_FALSE(batch.ApplyTo(text)); // nothing left to change
}

TEST(ProfileBatchApply, CopiesSectionsInOrderAndDropsDuplicateHeaders) {
    std::string text = "[P0]\na=0\n[P1]\na=1\nb=1\n[p0]\na=9\nc=2\n";
    ProfileBatch batch;
    batch.Copy("P1", "P2");
    batch.Copy("P0", "P1");
    ASSERT_TRUE(batch.ApplyTo(text));
    EXPECT_EQ(text, "[P0]\na=0\n[P1]\na=0\nc=2\n[p0]\na=9\nc=2\n[P2]\na=1\nb=1\n");
}

TEST(ProfileBatchApply, KeyEditsKeepCommentsAndShadowedDuplicatesOfTheirSection) {
    std::string text = "[A]\n; note\nk=1\nk=2\nz=3";
    ProfileBatch batch;
    batch.Set("A", "K", "9");
    batch.Set("a", "new", "5");
    batch.Remove("A", "z");
    ASSERT_TRUE(batch.ApplyTo(text));
    EXPECT_EQ(text, "[A]\n; note\nk=9\nk=2\nnew=5\n");
}
