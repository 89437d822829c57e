#include "pulse/PulseTimeUnits.h"
#include "pulse/PulseTrainStyles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

// The names are on screen, in the design files and in scripts: each stays as it is, and
// every stored number reads back as its style or unit, any other as the default.
TEST(PulseNames, EveryTrainStyleKeepsItsNamesAndStoredNumber) {
    // By stored number: word, caption, title, item prefix, column titles, cell hints.
    const std::string expected[] = {
        "dc|DC Intervals|DC Intervals|Link|Time Interval|Level (V)|Time Interval|Level",
        "points|Time/Level Points|Points|Node|Time|Level (V)| Time|Level",
        "sequence|Pulse Sequence|Pulse Sequence|Tmpl|Pulse Template||Pulse Template|Loops",
    };
    ASSERT_EQ(PulseTrainStyles::All().size(), std::size(expected));
    for (int number = 0; number < 3; ++number) {
        const TrainStyle style = PulseTrainStyles::FromStored(number);
        const TrainStyleNames& n = PulseTrainStyles::Of(style);
        EXPECT_EQ(PulseTrainStyles::Stored(style), number);
        EXPECT_EQ(PulseTrainStyles::Named(n.word), style);
        EXPECT_EQ(std::string(n.word) + '|' + n.caption + '|' + n.titleName + '|' + n.itemPrefix +
                      '|' + n.timeColumn + '|' + n.levelColumn + '|' + n.timeHint + '|' +
                      n.levelHint,
                  expected[number]);
    }
    EXPECT_EQ(PulseTrainStyles::FromStored(3), TrainStyle::TimeLevelPoints);
    EXPECT_EQ(PulseTrainStyles::Words(", ", " or "), "dc, points or sequence");
}

TEST(PulseNames, EveryTimeUnitKeepsItsNameScaleAndStoredNumber) {
    const char* const names[] = {"sec", "msec", "usec"};
    for (int number = 0; number < 3; ++number) {
        const PulseTimeUnit unit = PulseTimeUnits::FromStored(number);
        EXPECT_EQ(PulseTimeUnits::Stored(unit), number);
        EXPECT_EQ(PulseTimeUnits::Named(names[number]), unit);
        EXPECT_STREQ(PulseTimeUnits::Name(unit), names[number]);
        EXPECT_EQ(PulseTimeUnits::Scale(unit), std::pow(1e3, number));
    }
    EXPECT_EQ(PulseTimeUnits::FromStored(9), PulseTimeUnit::Msec);
    EXPECT_EQ(PulseTimeUnits::Names("|", "|"), "sec|msec|usec");
}
