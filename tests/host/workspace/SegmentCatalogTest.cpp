#include "workspace/SegmentCatalog.h"

#include <gtest/gtest.h>

TEST(SegmentCatalogParsing, PairsOfSegmentAndLength) {
    const auto catalog = SegmentCatalog::Parse("1,4096,3,16000000");
    ASSERT_TRUE(catalog);
    ASSERT_EQ(catalog->entries.size(), 2u);
    EXPECT_EQ(catalog->entries[1].segment, 3);
    EXPECT_EQ(catalog->entries[1].points, 16000000);
    EXPECT_TRUE(SegmentCatalog::Parse("")->entries.empty());
    EXPECT_TRUE(SegmentCatalog::Parse("\"\"")->entries.empty());
    EXPECT_FALSE(SegmentCatalog::Parse("1,4096,3"));
    EXPECT_FALSE(SegmentCatalog::Parse("1;4096"));
}
