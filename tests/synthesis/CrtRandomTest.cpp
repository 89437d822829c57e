#include "synthesis/CrtRandom.h"

#include <gtest/gtest.h>

TEST(CrtRandom, GivesTheLibrarySequenceFromSeedOne) {
    CrtRandom random;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) {
        EXPECT_EQ(random.Next(), value);
    }
    for (int i = 0; i < 100000; ++i) {
        const int value = random.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, CrtRandom::kMax);
    }
}
