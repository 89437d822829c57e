#include "pulse/PulseDesign.h"
#include "PulseWorkspace.h"
#include "core/StringTable.h"
#include "pulse/PulseLimits.h"
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Snapshot = std::map<std::string, IniEntries>;

// Every section of the context file except the design's own.
Snapshot OutsideDesign(const std::string& path) {
    Snapshot snapshot;
    const IniFile file(path);
    for (const std::string& name : file.SectionNames()) {
        if (name.rfind("Pulse", 0) != 0) {
            snapshot[name] = file.ReadSection(name);
        }
    }
    return snapshot;
}

} // namespace

TEST(PulseDesignOpen, AContextWithoutDesignGetsOneEmptyPointsSectionInMsec) {
    PulseWorkspace ws;
    const Snapshot before = OutsideDesign(ws.state.contextFile);
    OpenedDesign design(ws);
    EXPECT_EQ(ws.Root("qPls"), "1");
    EXPECT_EQ(ws.Root("activePls"), "0");
    EXPECT_EQ(ws.Root("Duration"), "0");
    EXPECT_EQ(ws.Root("Vpp"), "1.000"); // Settings/Ampl, "%.3f"
    EXPECT_EQ(ws.Sect(0, "Train"), "1");
    EXPECT_EQ(ws.Sect(0, "tmUnitInd"), "1");
    EXPECT_EQ(ws.Sect(0, "Start"), "0");
    EXPECT_EQ(ws.Sect(0, "LocDur"), "0");
    EXPECT_EQ(design.SectionCount(), 1);
    EXPECT_EQ(design.Train(), TrainStyle::TimeLevelPoints);
    EXPECT_EQ(design.Scale(), 1e3);
    EXPECT_TRUE(design.Section(0).IsEmpty());
    EXPECT_EQ(OutsideDesign(ws.state.contextFile), before);
    EXPECT_TRUE(ws.ui.messages.empty());
}

TEST(PulseDesignOpen, SecondChannelUsesItsOwnNames) {
    PulseWorkspace ws;
    OpenedDesign design(ws, 1);
    EXPECT_EQ(ws.Context("PulseRoot-ch2", "qPls"), "1");
    EXPECT_EQ(ws.Root("qPls"), "");
    EXPECT_EQ(design.SectionName(3), "Pulse3-ch2");
}

TEST(PulseDesignOpen, VppComesFromTheRootOrElseTheInstrumentSetting) {
    PulseWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "1");
    ws.SetContext("Settings", "Ampl", "1.5");
    OpenedDesign design(ws);
    EXPECT_EQ(design.Vpp(), 1.5);
    ws.SetContext("PulseRoot-ch1", "vPP", "0.8"); // the same key as "Vpp"
    design.Open(0);
    EXPECT_EQ(design.Vpp(), 0.8);
    EXPECT_EQ(design.LevelHigh(), 0.4);
}

// Hand-edited designs: each key that cannot be used reads as its default, and opening
// never writes outside the design.
TEST(PulseDesignOpen, UnusableKeysReadAsTheirDefaults) {
    struct Case {
        const char* what;
        PulseWorkspace::Keys root;
        PulseWorkspace::Keys section0;
        int count = 1, active = 0;
        TrainStyle train = TrainStyle::TimeLevelPoints;
        PulseTimeUnit unit = PulseTimeUnit::Msec;
        int repeat = 1;
        std::size_t items = 0;
        double start = 0.0;
    };
    const Case cases[] = {
        {"negative qItm", {{"qPls", "1"}}, {{"qItm", "-4"}}},
        {"activePls beyond qPls", {{"qPls", "3"}, {"activePls", "9"}}, {}, 3, 2},
        {"negative activePls", {{"qPls", "2"}, {"activePls", "-3"}}, {}, 2, 0},
        {"garbage Train and tmUnitInd", {{"qPls", "1"}}, {{"Train", "abc"}, {"tmUnitInd", "9"}}},
        {.what = "DC in usec",
         .root = {{"qPls", "1"}},
         .section0 = {{"TRain", "0"}, {"tmunitind", "2"}},
         .train = TrainStyle::DcIntervals,
         .unit = PulseTimeUnit::Usec},
        {"qPls zero", {{"qPls", "0"}}, {}},
        {.what = "huge counts",
         .root = {{"qPls", "1e12"}},
         .section0 = {{"qItm", "1e15"}},
         .count = PulseDesign::kMaxSections,
         .items = PulseDesign::kMaxItems},
        {"repeat 0 and overflowing start", {{"qPls", "1"}}, {{"Repeat", "0"}, {"Start", "1e400"}}},
        {.what = "comment after a value",
         .root = {{"qPls", "1"}},
         .section0 = {{"Start", "0.002 // s"}, {"qItm", "2"}},
         .items = 2,
         .start = 0.002},
    };
    for (const Case& c : cases) {
        PulseWorkspace ws;
        ws.SetRoot(c.root);
        ws.SetSect(0, c.section0);
        const Snapshot before = OutsideDesign(ws.state.contextFile);
        OpenedDesign design(ws);
        EXPECT_EQ(design.SectionCount(), c.count) << c.what;
        EXPECT_EQ(design.ActiveSection(), c.active) << c.what;
        EXPECT_EQ(ws.Root("activePls"), std::to_string(c.active)) << c.what; // written back
        EXPECT_EQ(OpenedDesign(ws).SectionCount(), c.count) << c.what;       // and read again
        const PulseSection s = design.Section(0);
        EXPECT_EQ(s.train, c.train) << c.what;
        EXPECT_EQ(s.timeUnit, c.unit) << c.what;
        EXPECT_EQ(s.repeat, c.repeat) << c.what;
        EXPECT_EQ(s.items.size(), c.items) << c.what;
        EXPECT_EQ(s.start, c.start) << c.what;
        EXPECT_EQ(OutsideDesign(ws.state.contextFile), before) << c.what;
        EXPECT_TRUE(ws.ui.messages.empty()) << c.what;
    }
}

TEST(PulseDesignSections, MissingSectionsInTheMiddleReadAsEmpty) {
    PulseWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "3");
    ws.SetSect(0, {{"Train", "0"}, {"qItm", "1"}, {"Link0-sub1", "0.001"}, {"Link0-sub2", "0.5"}});
    ws.SetSect(0, "Node0-sub1", "7"); // another style's keys are ignored
    ws.SetSect(2, {{"qItm", "2"}, {"Node1-sub2", "0.25"}});
    OpenedDesign design(ws);
    const std::vector<PulseSection> sections = design.Sections();
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[0].items[0].time, "0.001");
    EXPECT_EQ(sections[0].items[0].level, "0.5");
    EXPECT_TRUE(sections[1].IsEmpty());
    EXPECT_EQ(sections[2].items[0].time, "");
    EXPECT_EQ(sections[2].items[1].level, "0.25");
    EXPECT_FALSE(sections[2].items[1].IsComplete());
}

TEST(PulseDesignSections, ReadsSeeAWriteOfTheHostMadeAfterTheLastRead) {
    PulseWorkspace ws;
    OpenedDesign design(ws);
    EXPECT_EQ(design.Section(0).start, 0.0);
    EXPECT_EQ(design.Sections()[0].start, 0.0);
    ws.SetSect(0, "Start", "0.5");
    EXPECT_EQ(design.Section(0).start, 0.5);
    EXPECT_EQ(design.Sections()[0].start, 0.5); // the kept sections are read again
    ws.SetSect(0, "Start", "0.7");              // same length: only the time stamp differs
    EXPECT_EQ(design.Sections()[0].start, 0.7);
}

TEST(PulseDesignDerived, StartsAndDurationFollowEveryRepeatAndLocDur) {
    PulseWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "3");
    // Section 0: DC, two complete steps of 1 ms and one without a level.
    ws.SetSect(0, {{"Train", "0"}, {"Repeat", "2"}, {"qItm", "3"}});
    ws.SetSect(0, {{"Link0-sub1", "0.001"}, {"Link0-sub2", "0"}});
    ws.SetSect(0, {{"Link1-sub1", "0.001"}, {"Link1-sub2", "1"}});
    ws.SetSect(0, "Link2-sub1", "0.005");
    // Section 1 has no Repeat: it counts once. Section 2: points up to 3 ms.
    ws.SetSect(1, "LocDur", "0.004");
    ws.SetSect(2, {{"qItm", "3"}, {"Node0-sub1", "0"}, {"Node1-sub1", "0.003"}});
    ws.SetSect(2, "Node2-sub2", "0.1"); // the last line has no time yet
    OpenedDesign design(ws);
    design.RestoreDerived(0);
    design.RestoreDerived(2);
    EXPECT_EQ(ws.Sect(0, "LocDur"), "0.002");
    EXPECT_EQ(ws.Sect(1, "Start"), "0.004");
    EXPECT_EQ(ws.Sect(2, "Start"), "0.008");
    EXPECT_EQ(ws.Sect(2, "LocDur"), "0.003");
    EXPECT_EQ(ws.Root("Duration"), "0.011");
    EXPECT_DOUBLE_EQ(design.Duration(), 0.011);
    EXPECT_EQ(design.SectionMarks(1e3), (std::vector<double>{0, 2, 4, 8, 8, 11}));
}

TEST(PulseDesignDerived, ShowingASectionWithoutRepeatWritesOne) {
    PulseWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "1");
    OpenedDesign design(ws);
    EXPECT_EQ(ws.Sect(0, "Repeat"), "");
    design.ShowSection(0);
    EXPECT_EQ(ws.Sect(0, "Repeat"), "1");
    design.ShowSection(4); // beyond the count: qPls follows
    EXPECT_EQ(ws.Root("qPls"), "5");
}

TEST(PulseDesignAmplitude, RangeAndCutsDecideWhetherVppChanges) {
    struct Case {
        const char* text;
        int message; // 0: accepted
        const char* stored;
    };
    // QW2182 allows 0.05 .. 2 V; the design holds a level of 0.4 V. "abc" stands for every
    // text the number reader refuses (NumberReading); 1e400 is read, but is no Vpp.
    const Case cases[] = {
        {"2", 0, "2"},
        {"0.8", 0, "0.8"},
        {"2.0000001", MsgVppOutOfRange, "1.000"},
        {"0.79", MsgVppCutsWave, "1.000"},
        {"abc", MsgVppOutOfRange, "1.000"},
        {"1e400", MsgVppOutOfRange, "1.000"},
        {"1", 0, "1.000"}, // equal: nothing happens, nothing is written
    };
    for (const Case& c : cases) {
        PulseWorkspace ws;
        ws.SetSect(0, {{"qItm", "1"}, {"Node0-sub2", "0.4"}});
        OpenedDesign design(ws);
        const bool accepted = design.ChangeAmplitude(c.text);
        EXPECT_EQ(accepted, c.message == 0) << c.text;
        EXPECT_EQ(ws.ui.MessageIds(), c.message ? std::vector<int>{c.message} : std::vector<int>{})
            << c.text;
        EXPECT_EQ(ws.Root("Vpp"), c.stored) << c.text;
    }
}

TEST(PulseDesignAmplitude, MessagesCarryTheTypedTextAndTheBounds) {
    PulseWorkspace ws;
    ws.SetSect(0, {{"qItm", "1"}, {"Node0-sub2", "-0.45"}});
    OpenedDesign design(ws);
    design.ChangeAmplitude("%g 3");
    design.ChangeAmplitude("0.5");
    ASSERT_EQ(ws.ui.messages.size(), 2u);
    EXPECT_EQ(ws.ui.messages[0].text,
              "Vpp value %g 3  out of range[0.05, 2].\nPrevious value will be restored.");
    EXPECT_EQ(ws.ui.messages[1].text,
              "Vpp value = 0.500 cuts current wave.\nPrevious value will be restored.");
}

TEST(PulseLimitsRead, TakesTheFamilyValuesAndReportsMissingOnes) {
    PulseWorkspace ws;
    const PulseLimits limits = PulseLimits::Read(ws.services);
    EXPECT_EQ(limits.resFactor, 4);
    EXPECT_EQ(limits.minSegLen, 16);
    EXPECT_EQ(limits.maxWaveLen, 16000000);
    EXPECT_EQ(limits.vpts, 8191);
    EXPECT_EQ(limits.maxLoopNo, 1048575);
    EXPECT_EQ(limits.sclkMax, 1250000000);
    EXPECT_EQ(limits.amplitudeLow, 0.05);
    EXPECT_EQ(limits.amplitudeHigh, 2.0);
    EXPECT_TRUE(ws.ui.messages.empty());

    ws.SetContext("Settings", "Rsclk", "1");
    ws.SetContext("Settings", "Wfmt", "7"); // the family has no "Vpts7"
    const PulseLimits other = PulseLimits::Read(ws.services);
    EXPECT_EQ(other.resFactor, 8);
    EXPECT_EQ(other.vpts, 0);
    ASSERT_EQ(ws.ui.messages.size(), 1u);
    EXPECT_NE(ws.ui.messages[0].text.find("Key=Vpts7"), std::string::npos);
}
