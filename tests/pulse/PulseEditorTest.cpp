#include "pulse/PulseEditor.h"
#include "PulseWorkspace.h"
#include "core/StringTable.h"
#include "pulse/PulseDesign.h"
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A design opened as the view opens it, with the editor made on it. QW2182: Vpp 1 (levels
// -0.5 .. 0.5), SclkMax 1.25e9, MaxLoopNo 1048575.
struct EditorWorkspace : PulseWorkspace {
    PulseEditor& Open() {
        design = std::make_unique<OpenedDesign>(*this);
        editor = std::make_unique<PulseEditor>(*design);
        return *editor;
    }
    // Types time and level into the lines from the first on, appending each line after it;
    // false at the first refusal.
    bool TypeLines(const Keys& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int line = static_cast<int>(i);
            if (line > 0) {
                editor->AppendLine();
            }
            if (!editor->EndCellEdit(line, 1, lines[i].first) ||
                !editor->EndCellEdit(line, 2, lines[i].second)) {
                return false;
            }
        }
        return true;
    }

    std::unique_ptr<PulseDesign> design;
    std::unique_ptr<PulseEditor> editor;
};

} // namespace

TEST(PulseEditorCells, EachCheckRefusesWithItsMessageInOrder) {
    struct Case {
        const char* what;
        int train;
        const char* start; // seconds
        int line, column;
        const char* text;
        int message;
    };
    // Points sections hold nodes at 2 and 4 ms after a Start of 2 ms; DC ones hold lines.
    // Which texts are one whole number is the number reader's (NumberReading); one row here
    // shows that its refusal is the editor's message.
    const Case cases[] = {
        {"blanks only", 1, "0.002", 1, 2, "   ", MsgEmptyInput},
        {"digits then letters", 1, "0.002", 1, 2, "12abc", MsgNonNumeric},
        {"overflow", 0, "0", 0, 1, "1e400", MsgNonNumeric},
        {"level at +Vpp/2", 1, "0.002", 1, 2, "0.5", 0},
        {"level above +Vpp/2", 1, "0.002", 1, 2, "0.501", MsgLevelOutOfRange},
        {"level below -Vpp/2", 0, "0", 0, 2, "-0.6", MsgLevelOutOfRange},
        {"empty before range", 1, "0.002", 1, 1, "", MsgEmptyInput},
        {"DC zero interval", 0, "0", 0, 1, "0", MsgTimeNotPositive},
        {"DC negative interval", 0, "0", 0, 1, "-1", MsgTimeNotPositive},
        {"first node at Start", 1, "0.002", 0, 1, "2", 0},
        {"first node off Start", 1, "0.002", 0, 1, "2.5", MsgFirstNodeTime},
        {"node equal to the one above", 1, "0.002", 1, 1, "2", 0},
        {"node a hair after the one above", 1, "0.002", 1, 1, "2.0000001",
         MsgImplementationRestriction},
        {"node before the one above", 1, "0.002", 1, 1, "1.5", MsgInvalidTimeOrder},
        {"node after the one below", 1, "0.002", 1, 1, "4.5", MsgInvalidTimeOrder},
        {"node between", 1, "0.002", 1, 1, "3", 0},
    };
    for (const Case& c : cases) {
        EditorWorkspace ws;
        ws.SetContext("PulseRoot-ch1", "qPls", "1");
        ws.SetSect(0, {{"Train", std::to_string(c.train)}, {"tmUnitInd", "1"}, {"Start", c.start}});
        const std::string prefix = c.train == 0 ? "Link" : "Node";
        ws.SetSect(0, {{"qItm", "3"},
                       {prefix + "0-sub1", c.train == 0 ? "0.001" : "0"},
                       {prefix + "0-sub2", "0"},
                       {prefix + "1-sub1", "0.001"},
                       {prefix + "1-sub2", "0"},
                       {prefix + "2-sub1", c.train == 0 ? "0.001" : "0.002"}});
        PulseEditor& editor = ws.Open();
        const std::string before = editor.Cell(c.line, c.column);
        const std::string storedKey =
            prefix + std::to_string(c.line) + "-sub" + std::to_string(c.column);
        const std::string storedBefore = ws.Sect(0, storedKey);
        const bool accepted = editor.EndCellEdit(c.line, c.column, c.text);
        EXPECT_EQ(accepted, c.message == 0) << c.what;
        EXPECT_EQ(ws.ui.MessageIds(), c.message ? std::vector<int>{c.message} : std::vector<int>{})
            << c.what;
        if (c.message != 0) {
            EXPECT_EQ(editor.Cell(c.line, c.column), before) << c.what;
            EXPECT_EQ(ws.Sect(0, storedKey), storedBefore) << c.what;
        }
    }
}

TEST(PulseEditorCells, MessagesNameTheLineAndTheTextAndALongTextIsRefusedWhole) {
    EditorWorkspace ws;
    PulseEditor& editor = ws.Open();
    editor.EndCellEdit(0, 2, "2 V");
    editor.EndCellEdit(0, 2, std::string(10000, '7'));
    ASSERT_EQ(ws.ui.messages.size(), 2u);
    EXPECT_EQ(ws.ui.messages[0].text,
              "Link: 1\nNon numeric value 2 V is not allowed.\nPrevious value will be restored.");
    EXPECT_EQ(ws.ui.messages[1].id, MsgNonNumeric); // 1e9999 is beyond a double
    EXPECT_EQ(ws.Sect(0, "qItm"), "");
}

TEST(PulseEditorCells, StoredTimesAreSecondsFromTheStartAndDerivedValuesFollow) {
    EditorWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "2");
    ws.SetSect(0, {{"Start", "0.002"}, {"Train", "1"}});
    ws.SetSect(1, "Train", "0");
    PulseEditor& editor = ws.Open();
    ASSERT_TRUE(ws.TypeLines({{"2", "0.1"}, {"5.5", "-0.1"}}));
    EXPECT_EQ(ws.Sect(0, "Node0-sub1"), "0");
    EXPECT_EQ(ws.Sect(0, "Node1-sub1"), "0.0035");
    EXPECT_EQ(ws.Sect(0, "Node1-sub2"), "-0.1");
    EXPECT_EQ(ws.Sect(0, "qItm"), "2");
    EXPECT_EQ(ws.Sect(0, "LocDur"), "0.0035");
    EXPECT_EQ(ws.Sect(1, "Start"), "0.0055");
    EXPECT_EQ(editor.DurationText(), "3.5");
    EXPECT_EQ(editor.StartText(), "2");
    // In usec the same node shows as 5500 and keeps its stored seconds.
    ASSERT_TRUE(editor.ChangeTimeUnit(PulseTimeUnit::Usec));
    EXPECT_EQ(editor.Cell(1, 1), "5500");
    EXPECT_EQ(ws.Sect(0, "Node1-sub1"), "0.0035");
}

TEST(PulseEditorLines, InsertAndDeleteMoveTheStoredKeys) {
    EditorWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "1");
    ws.SetSect(0, "Train", "0");
    PulseEditor& editor = ws.Open();
    ASSERT_TRUE(ws.TypeLines({{"1", "0.1"}, {"2", "0.2"}}));
    EXPECT_EQ(ws.Sect(0, "LocDur"), "0.003");

    editor.SelectLine(1);
    ASSERT_TRUE(editor.InsertLine());
    EXPECT_EQ(editor.LineCount(), 3);
    EXPECT_EQ(editor.SelectedLine(), 1);
    EXPECT_EQ(ws.Sect(0, "Link1-sub1"), "");
    EXPECT_EQ(ws.Sect(0, "Link2-sub1"), "0.002");
    EXPECT_EQ(ws.Sect(0, "Link2-sub2"), "0.2");
    EXPECT_EQ(ws.Sect(0, "qItm"), "3");
    // Next to the incomplete line nothing more is inserted.
    editor.SelectLine(2);
    EXPECT_FALSE(editor.InsertLine());

    editor.SelectLine(0);
    ASSERT_TRUE(editor.DeleteLine());
    EXPECT_EQ(ws.Sect(0, "qItm"), "2");
    EXPECT_EQ(ws.Sect(0, "Link0-sub1"), "");
    EXPECT_EQ(ws.Sect(0, "Link1-sub1"), "0.002");
    EXPECT_EQ(ws.Sect(0, "Link2-sub1"), "");
    EXPECT_EQ(ws.Sect(0, "LocDur"), "0.002");
    EXPECT_EQ(ws.ui.messages.size(), 0u);
}

TEST(PulseEditorLines, InsertedNodeKeepsTheTimeOfTheNodeBelow) {
    EditorWorkspace ws;
    PulseEditor& editor = ws.Open();
    ASSERT_TRUE(ws.TypeLines({{"0", "0"}, {"3", "0.4"}}));
    editor.SelectLine(1);
    ASSERT_TRUE(editor.InsertLine());
    EXPECT_EQ(editor.Cell(1, 1), "3");
    EXPECT_EQ(editor.Cell(1, 2), "");
    EXPECT_EQ(ws.Sect(0, "Node1-sub1"), "0.003");
    EXPECT_EQ(ws.Sect(0, "Node1-sub2"), "");
    EXPECT_EQ(ws.Sect(0, "Node2-sub2"), "0.4");
}

TEST(PulseEditorLines, ClearAllKeepsStyleUnitAndStartAndDropsRepeat) {
    EditorWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "2");
    ws.SetSect(0, {{"Train", "0"}, {"tmUnitInd", "2"}, {"Repeat", "4"}});
    PulseEditor& editor = ws.Open();
    ASSERT_TRUE(ws.TypeLines({{"250", "0.1"}}));
    EXPECT_EQ(ws.Sect(1, "Start"), "0.001");
    editor.ClearAllLines();
    EXPECT_EQ(ws.Sect(0, "Train"), "0");
    EXPECT_EQ(ws.Sect(0, "tmUnitInd"), "2");
    EXPECT_EQ(ws.Sect(0, "Repeat"), "");
    EXPECT_EQ(ws.Sect(0, "Link0-sub1"), "");
    EXPECT_EQ(ws.Sect(1, "Start"), "0");
    EXPECT_EQ(editor.LineCount(), 1);
    EXPECT_EQ(ws.Root("Duration"), "0");
}

TEST(PulseEditorTrain, QuestionAnswersDecideWhatHappens) {
    struct Case {
        MessageAnswer answer;
        bool changed;
        const char* count;  // qPls after
        const char* train0; // Train of section 0 after
        const char* item0;  // Node0-sub2 of section 0 after
    };
    const Case cases[] = {
        {MessageAnswer::Cancel, false, "1", "1", "0.1"},
        {MessageAnswer::Yes, true, "1", "0", ""},
        {MessageAnswer::No, true, "2", "0", ""}, // the new section takes index 0
    };
    for (const Case& c : cases) {
        EditorWorkspace ws;
        PulseEditor& editor = ws.Open();
        ASSERT_TRUE(ws.TypeLines({{"0", "0.1"}}));
        ws.ui.answers.push_back(c.answer);
        EXPECT_EQ(editor.ChangeTrain(TrainStyle::DcIntervals), c.changed);
        EXPECT_EQ(ws.ui.MessageIds(), std::vector<int>{MsgTrainModeChange});
        EXPECT_EQ(ws.Root("qPls"), c.count);
        EXPECT_EQ(ws.Sect(0, "Train"), c.train0);
        EXPECT_EQ(ws.Sect(0, "Node0-sub2"), c.item0);
        if (c.answer == MessageAnswer::No) {
            EXPECT_EQ(ws.Sect(1, "Node0-sub2"), "0.1");
            EXPECT_EQ(ws.Sect(1, "Train"), "1");
        }
    }
}

// No asks for a new section; where none may be inserted (the section before is empty)
// the style stays too, as the items are stored under the old style's keys.
TEST(PulseEditorTrain, NoWhereNoSectionMayBeInsertedChangesNothing) {
    EditorWorkspace ws;
    ws.SetRoot({{"qPls", "2"}, {"activePls", "1"}});
    ws.SetSect(1, {{"Train", "1"}, {"qItm", "1"}, {"Node0-sub1", "0"}, {"Node0-sub2", "0.1"}});
    PulseEditor& editor = ws.Open();
    ws.ui.answers.push_back(MessageAnswer::No);
    EXPECT_FALSE(editor.ChangeTrain(TrainStyle::DcIntervals));
    EXPECT_EQ(ws.ui.MessageIds(), std::vector<int>{MsgTrainModeChange});
    EXPECT_EQ(ws.Root("qPls"), "2");
    EXPECT_EQ(ws.Sect(1, "Train"), "1");
    EXPECT_EQ(ws.Sect(1, "Node0-sub2"), "0.1");
}

TEST(PulseEditorTrain, EmptySectionChangesWithoutQuestionAndSequenceIsNeverChosen) {
    EditorWorkspace ws;
    PulseEditor& editor = ws.Open();
    EXPECT_FALSE(editor.ChangeTrain(TrainStyle::PulseSequence));
    EXPECT_TRUE(editor.ChangeTrain(TrainStyle::DcIntervals));
    EXPECT_TRUE(ws.ui.messages.empty());
    EXPECT_EQ(editor.Title(), "Section 1  - <given as: DC Intervals> - Pulse Editor");
    EXPECT_EQ(editor.ColumnTitle(1), "Time Interval");
    EXPECT_EQ(editor.Hint(1), "Click on the field to edit the <Time Interval> value.");
}

TEST(PulseEditorRepeat, CountsOutsideOneToMaxLoopNoAreRefused) {
    struct Case {
        const char* text;
        bool accepted;
        const char* stored;
    };
    const Case cases[] = {{"0", false, "1"},   {"1048576", false, "1"},
                          {"abc", false, "1"}, {"1048575", true, "1048575"},
                          {" 3 ", true, "3"},  {"2.5", false, "1"}};
    for (const Case& c : cases) {
        EditorWorkspace ws;
        PulseEditor& editor = ws.Open();
        editor.EditRepeat(c.text);
        EXPECT_TRUE(editor.CanApplyRepeat());
        EXPECT_EQ(editor.ApplyRepeat(), c.accepted) << c.text;
        EXPECT_FALSE(editor.CanApplyRepeat());
        EXPECT_EQ(ws.Sect(0, "Repeat"), c.stored) << c.text;
        EXPECT_EQ(ws.ui.MessageIds(),
                  c.accepted ? std::vector<int>{} : std::vector<int>{MsgLoopsOutOfRange})
            << c.text;
        EXPECT_EQ(editor.RepeatText(), c.stored) << c.text;
    }
}

TEST(PulseEditorSections, AppendInsertDeleteKeepStartsAndTheActiveIndexInside) {
    EditorWorkspace ws;
    PulseEditor& editor = ws.Open();
    EXPECT_FALSE(editor.AppendSection()); // the last section is empty
    ASSERT_TRUE(ws.TypeLines({{"0", "0"}, {"2", "0"}}));
    ASSERT_TRUE(editor.AppendSection());
    EXPECT_EQ(editor.Section(), 1);
    EXPECT_EQ(ws.Sect(1, "Start"), "0.002");
    EXPECT_EQ(editor.StartText(), "2");
    EXPECT_FALSE(editor.InsertSection()); // the active section is empty
    ASSERT_TRUE(ws.TypeLines({{"2", "0.2"}, {"3", "0.2"}}));
    EXPECT_EQ(ws.Root("Duration"), "0.003");

    ASSERT_TRUE(editor.PreviousSection());
    EXPECT_FALSE(editor.PreviousSection());
    ASSERT_TRUE(editor.InsertSection());
    EXPECT_EQ(ws.Root("qPls"), "3");
    EXPECT_EQ(ws.Sect(0, "qItm"), "");
    EXPECT_EQ(ws.Sect(1, "Node1-sub1"), "0.002");
    EXPECT_EQ(ws.Sect(2, "Start"), "0.002");

    ASSERT_TRUE(editor.SelectSection(2));
    EXPECT_EQ(editor.SelectedLine(), 0);
    EXPECT_FALSE(editor.SelectSection(2));
    EXPECT_FALSE(editor.NextSection());
    editor.DeleteSection(); // the last one: the previous becomes active
    EXPECT_EQ(editor.Section(), 1);
    EXPECT_EQ(ws.Root("qPls"), "2");
    EXPECT_EQ(ws.Root("activePls"), "1");
    EXPECT_EQ(ws.Sect(2, "Start"), "");
    EXPECT_EQ(ws.Root("Duration"), "0.002");

    editor.PreviousSection();
    editor.DeleteSection(); // the first one: the later section moves down with its Start
    EXPECT_EQ(ws.Sect(0, "Start"), "0");
    EXPECT_EQ(ws.Sect(0, "Node1-sub1"), "0.002");
    editor.DeleteSection(); // the only one: it is emptied and stays
    EXPECT_EQ(ws.Root("qPls"), "1");
    EXPECT_EQ(ws.Sect(0, "qItm"), "");
    EXPECT_EQ(ws.Root("Duration"), "0");
}

// Previous and Next write the compact number (index 1000 is "1e3"), a label click "%d";
// either reads back as the same index.
TEST(PulseEditorSections, ActiveIndexTextFollowsTheCommandThatMovedIt) {
    EditorWorkspace ws;
    ws.SetRoot({{"qPls", "1002"}, {"activePls", "999"}});
    PulseEditor& editor = ws.Open();
    ASSERT_TRUE(editor.NextSection());
    EXPECT_EQ(ws.Root("activePls"), "1e3");
    ASSERT_TRUE(editor.SelectSection(1001));
    EXPECT_EQ(ws.Root("activePls"), "1001");
    ASSERT_TRUE(editor.PreviousSection());
    EXPECT_EQ(ws.Root("activePls"), "1e3");
    EXPECT_EQ(OpenedDesign(ws).ActiveSection(), 1000);
}

TEST(PulseEditorSections, AppendedSectionStartsWhereTheSectionsEndNotAtTheRoundedTotal) {
    EditorWorkspace ws;
    ws.SetContext("PulseRoot-ch1", "qPls", "1");
    ws.SetContext("PulseRoot-ch1", "Duration", "0.0123457"); // "%g" of 0.01234567
    ws.SetSect(0, {{"Train", "0"}, {"LocDur", "0.01234567"}, {"qItm", "1"}});
    ws.SetSect(0, {{"Link0-sub1", "0.01234567"}, {"Link0-sub2", "0"}});
    PulseEditor& editor = ws.Open();
    ASSERT_TRUE(editor.AppendSection());
    EXPECT_EQ(ws.Sect(1, "Start"), "0.01234567");
}

TEST(PulseEditorSections, RemoveAllAsksAndLeavesTheDefaultDesign) {
    EditorWorkspace ws;
    ws.SetRoot({{"qPls", "3"}, {"Vpp", "1.5"}});
    ws.SetSect(2, "Train", "0");
    PulseEditor& editor = ws.Open();
    ws.ui.answers.push_back(MessageAnswer::No);
    EXPECT_FALSE(editor.RemoveAllSections());
    EXPECT_EQ(ws.Root("qPls"), "3");
    ws.ui.answers.push_back(MessageAnswer::Yes);
    EXPECT_TRUE(editor.RemoveAllSections());
    EXPECT_EQ(ws.Root("qPls"), "1");
    EXPECT_EQ(ws.Root("Vpp"), "1.5");
    EXPECT_FALSE(IniFile(ws.state.contextFile).HasSection("Pulse2-ch1"));
    EXPECT_EQ(ws.Sect(0, "Train"), "1");
}

TEST(PulseEditorPlacement, FourIntegersRoundTripAndGarbageReadsAsNone) {
    EditorWorkspace ws;
    PulseEditor& editor = ws.Open();
    EXPECT_FALSE(editor.StoredPlacement());
    editor.StorePlacement({10, 20, 410, 320}, {40, 120, 120, 0});
    EXPECT_EQ(editor.StoredPlacement(), (std::array<int, 4>{10, 20, 410, 320}));
    EXPECT_EQ(editor.StoredColumnWidths(), (std::array<int, 4>{40, 120, 120, 0}));
    ws.store.WriteHostValue("PulsColw", "1 2 x", "DrawRect");
    EXPECT_FALSE(editor.StoredColumnWidths());
}
