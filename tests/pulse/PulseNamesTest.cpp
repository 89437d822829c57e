#include "pulse/PulseTimeUnits.h"
#include "pulse/PulseTrainStyles.h"

#include <gtest/gtest.h>

#include <string>

// The names are on screen, in the design files and in scripts: each stays as it is, and
// every stored number reads back as its style or unit.
TEST(PulseNames, EveryTrainStyleKeepsItsNamesAndStoredNumber) {
    struct Expected {
        TrainStyle style;
        std::string word, caption, title, prefix, columns, hints;
    };
    const Expected expected[] = {
        {TrainStyle::DcIntervals, "dc", "DC Intervals", "DC Intervals", "Link",
         "Time Interval|Level (V)", "Time Interval|Level"},
        {TrainStyle::TimeLevelPoints, "points", "Time/Level Points", "Points", "Node",
         "Time|Level (V)", " Time|Level"},
        {TrainStyle::PulseSequence, "sequence", "Pulse Sequence", "Pulse Sequence", "Tmpl",
         "Pulse Template|", "Pulse Template|Loops"},
    };
    ASSERT_EQ(PulseTrainStyles::All().size(), std::size(expected));
    for (int number = 0; number < 3; ++number) {
        const Expected& e = expected[number];
        SCOPED_TRACE(e.word);
        const TrainStyleNames& names = PulseTrainStyles::Of(e.style);
        EXPECT_EQ(PulseTrainStyles::All()[number].style, e.style);
        EXPECT_EQ(PulseTrainStyles::Stored(e.style), number);
        EXPECT_EQ(PulseTrainStyles::FromStored(number), e.style);
        EXPECT_EQ(PulseTrainStyles::Named(e.word), e.style);
        EXPECT_EQ(names.caption, e.caption);
        EXPECT_EQ(names.titleName, e.title);
        EXPECT_EQ(names.itemPrefix, e.prefix);
        EXPECT_EQ(std::string(names.timeColumn) + "|" + names.levelColumn, e.columns);
        EXPECT_EQ(std::string(names.timeHint) + "|" + names.levelHint, e.hints);
    }
    EXPECT_EQ(PulseTrainStyles::FromStored(3), TrainStyle::TimeLevelPoints);
    EXPECT_EQ(PulseTrainStyles::FromStored(-1), TrainStyle::TimeLevelPoints);
    EXPECT_FALSE(PulseTrainStyles::Named("DC").has_value());
    EXPECT_EQ(PulseTrainStyles::Words(", ", " or "), "dc, points or sequence");
}

TEST(PulseNames, EveryTimeUnitKeepsItsNameScaleAndStoredNumber) {
    const char* const names[] = {"sec", "msec", "usec"};
    const double scales[] = {1.0, 1e3, 1e6};
    ASSERT_EQ(PulseTimeUnits::All().size(), std::size(names));
    for (int number = 0; number < 3; ++number) {
        SCOPED_TRACE(names[number]);
        const PulseTimeUnit unit = PulseTimeUnits::FromStored(number);
        EXPECT_EQ(PulseTimeUnits::Stored(unit), number);
        EXPECT_EQ(PulseTimeUnits::Named(names[number]), unit);
        EXPECT_STREQ(PulseTimeUnits::Name(unit), names[number]);
        EXPECT_EQ(PulseTimeUnits::Scale(unit), scales[number]);
    }
    EXPECT_EQ(PulseTimeUnits::FromStored(9), PulseTimeUnit::Msec);
    EXPECT_FALSE(PulseTimeUnits::Named("ms").has_value());
    EXPECT_EQ(PulseTimeUnits::Names("|", "|"), "sec|msec|usec");
}
