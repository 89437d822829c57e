#include "Vxi11Links.h"
#include "InstrumentCommands.h"
#include "InstrumentState.h"

#include <gtest/gtest.h>

#include <string>

// The core channel's reads and writes over one link, in the order a client makes them:
// what a write without a newline but with the end flag runs, how a read is cut by the
// request size and the termination character and ends with the end indicator.
TEST(Vxi11Links, WritesEndAtTheEndFlagAndReadsComeInRequestedPiecesWithTheirReasons) {
    using L = Vxi11Links;
    InstrumentState instrument(1000);
    const CommandTable commands = InstrumentCommands::Build();
    L links(instrument, commands, nullptr, nullptr, 1);
    const long link = links.Create("inst0", 7).link;
    EXPECT_EQ(links.Create("inst0", 8).error, L::kOutOfResources);
    EXPECT_EQ(links.Write(link, "*IDN?", L::kFlagEnd).size, 5U);
    const struct {
        std::size_t request;
        long flags;
        std::string data;
        long reason;
    } reads[] = {
        {10, 0, "Quellwerk,", L::kReasonRequestCount},
        {100, L::kFlagTermCharSet, "AWG-", L::kReasonTermChar}, // '-' is the character
        {100, 0, "SIM-2CH,0,1.0\n", L::kReasonEnd},
    };
    for (const auto& read : reads) {
        const auto got = links.ReadAnswer(link, read.request, read.flags, '-');
        EXPECT_EQ(got.data, read.data);
        EXPECT_EQ(got.reason, read.reason) << read.data;
    }
    EXPECT_EQ(links.ReadAnswer(link, 100, 0, 0).error, L::kIoTimeout);
    links.Write(link, "*IDN?\n", 0);
    EXPECT_EQ(links.Clear(link), L::kNoError); // the unread answer goes with the old session
    EXPECT_EQ(links.ReadAnswer(link, 100, 0, 0).error, L::kIoTimeout);
    EXPECT_EQ(links.Destroy(link), L::kNoError);
    EXPECT_EQ(links.Write(link, "*IDN?\n", 0).error, L::kInvalidLink);
    EXPECT_EQ(links.Create("inst1", 7).error, L::kDeviceNotAccessible);
}
