#include "GeneratorFixture.h"

#include "settings/IniFile.h"
#include "support/ReplacementCounter.h"
#include "support/TempWorkspace.h"
#include "synthesis/SquareDialog.h"
#include "synthesis/StoredEquations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The equations file holds every user's equations: each change of the list and its
// selection is one rewrite, so a killed run leaves the old list or the new one, never a
// cleared or half-written list. A text is kept once, as typed; removing an entry selects
// the one before it, or the former second when the first goes.
TEST(StoredEquations, EachChangeKeepsTheWholeListAndItsSelectionInOneRewrite) {
    TempWorkspace workspace;
    const std::string path = workspace.Folder() + "Sm.Equ";
    StoredEquations equations(workspace.services.store, path);
    equations.Load();
    ReplacementCounter rewrites(path);
    using Entries = std::vector<std::string>;
    const std::string first = StoredEquations::kDefaultEquation;
    const struct {
        int select;         // before the change; -1 keeps the selection
        const char* stored; // nullptr removes the selected entry
        Entries entries;
        int selected;
    } steps[] = {
        {-1, StoredEquations::kDefaultEquation, {first}, 0}, // written once, not twice
        {-1, "p*2", {first, "p*2"}, 1},
        {-1, "P*2", {first, "p*2", "P*2"}, 2},
        {-1, "p*2", {first, "p*2", "P*2"}, 1}, // already there: only selected
        {0, nullptr, {"p*2", "P*2"}, 0},
        {1, nullptr, {"p*2"}, 0},
    };
    int changes = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(changes);
        if (step.select >= 0) {
            equations.Select(step.select);
        }
        step.stored != nullptr ? equations.Store(step.stored) : equations.Remove();
        EXPECT_EQ(equations.Entries(), step.entries);
        EXPECT_EQ(equations.SelectedIndex(), step.selected);
        EXPECT_EQ(rewrites.Count(), ++changes);
        StoredEquations reread(workspace.services.store, path);
        reread.Load();
        EXPECT_EQ(reread.Entries(), step.entries);
        EXPECT_EQ(reread.SelectedIndex(), step.selected);
    }
    IniFile file(path);
    EXPECT_EQ(file.Read("Expr", "Expr0"), "p*2");
    EXPECT_EQ(file.Read("Expr", "Expr1"), std::nullopt);
    EXPECT_EQ(file.Read("ExprInd", "ExprInd"), "0");
}

// A generator form's stored fields change together: its first opening writes the family
// defaults in one rewrite and the view's range in another, OK all fields in one rewrite
// (the segment table already names the working file it writes). What they hold is
// GeneratorForm's: FirstOpeningTakesFamilyDefaultsAndViewAnchors and
// OkMovesTheStoredRangeOnWhenPointsFollowIt.
TEST(GeneratorFields, FormsWriteTheirStoredFieldsInOneRewrite) {
    GeneratorFixture fixture;
    fixture.view.SetAnchors(10, 500);
    ReplacementCounter rewrites(fixture.workspace.state.contextFile);
    SquareDialog form(fixture.document);
    form.Initialize();
    EXPECT_EQ(rewrites.Count(), 2);
    form.SetFieldByKey("Prv_end", "99");
    ASSERT_TRUE(form.Ok());
    EXPECT_EQ(rewrites.Count(), 3);
}
