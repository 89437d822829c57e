#include "download/InstrumentAddress.h"

#include <gtest/gtest.h>

TEST(InstrumentAddressParsing, HostPortAndBracketedV6Addresses) {
    EXPECT_EQ(InstrumentAddress::Parse("awg")->port, 5025);
    EXPECT_EQ(InstrumentAddress::Parse("10.0.0.7:6000")->ToString(), "10.0.0.7:6000");
    EXPECT_EQ(InstrumentAddress::Parse("[::1]:6000")->host, "::1");
    EXPECT_EQ(InstrumentAddress::Parse("::1")->ToString(), "[::1]:5025");
    EXPECT_FALSE(InstrumentAddress::Parse(""));
    EXPECT_FALSE(InstrumentAddress::Parse("awg:"));
    EXPECT_FALSE(InstrumentAddress::Parse("awg:0"));
    EXPECT_FALSE(InstrumentAddress::Parse("[::1"));
}
