#include "view/AxisMap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(AxisMap, MapsThroughTwoPointsAndTruncatesTowardZero) {
    const AxisMap map = AxisMap::FromPoints(0.0, 10.0, 100.0, 0.0);
    EXPECT_DOUBLE_EQ(map.slope, -10.0);
    EXPECT_DOUBLE_EQ(map.intercept, 100.0);
    EXPECT_EQ(map.Apply(2.55), 74);
    EXPECT_EQ(map.Apply(10.05), 0) << "-0.5 truncates to 0";
    EXPECT_EQ(map.Apply(10.15), -1);
}

TEST(AxisMap, DegenerateAndFarOffPointsStayDefined) {
    const AxisMap flat = AxisMap::FromPoints(5.0, 5.0, 0.0, 1.0);
    EXPECT_EQ(flat.slope, 1e20);
    EXPECT_EQ(flat.Apply(6.0), INT_MAX);
    EXPECT_EQ(flat.Apply(4.0), INT_MIN);
    EXPECT_EQ(flat.Apply(5.0), 0);
    EXPECT_EQ(AxisMap{}.Apply(NAN), 0);
}
