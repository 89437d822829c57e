#include "GeneratorFixture.h"

#include "settings/IniFile.h"
#include "support/ReplacementCounter.h"
#include "support/TempWorkspace.h"
#include "synthesis/SquareDialog.h"
#include "synthesis/StoredEquations.h"

#include <gtest/gtest.h>

#include <string>

// The equations file holds every user's equations: each change of the list and its
// selection is one rewrite, so a killed run leaves the old list or the new one, never a
// cleared or half-written list.
TEST(StoredEquations, EachChangeRewritesTheFileOnceAndKeepsTheWholeList) {
    TempWorkspace workspace;
    const std::string path = workspace.Folder() + "Sm.Equ";
    IniFile file(path);
    file.Write("Expr", "Expr0", "p");
    file.Write("Expr", "Expr1", "p*p");
    file.Write("ExprInd", "ExprInd", "0");
    StoredEquations equations(workspace.services.store, path);
    equations.Load();
    ReplacementCounter rewrites(path);

    equations.Store("-p");
    EXPECT_EQ(rewrites.Count(), 1);
    equations.Store("p"); // already there: only selected
    EXPECT_EQ(rewrites.Count(), 2);
    equations.Remove();
    EXPECT_EQ(rewrites.Count(), 3);

    EXPECT_EQ(file.Read("Expr", "Expr0"), "p*p");
    EXPECT_EQ(file.Read("Expr", "Expr1"), "-p");
    EXPECT_EQ(file.Read("Expr", "Expr2"), std::nullopt);
    EXPECT_EQ(file.Read("ExprInd", "ExprInd"), "0");
}

// A generator form's stored fields change together: its first opening writes the family
// defaults in one rewrite and the view's range in another, OK all fields in one rewrite
// (the segment table already names the working file it writes).
TEST(GeneratorFields, FormsWriteTheirStoredFieldsInOneRewrite) {
    GeneratorFixture fixture;
    fixture.view.SetAnchors(10, 500);
    ReplacementCounter rewrites(fixture.workspace.state.contextFile);
    SquareDialog form(fixture.document);
    form.Initialize();
    EXPECT_EQ(rewrites.Count(), 2);
    EXPECT_EQ(fixture.Stored("Prv_bgn"), "10");
    EXPECT_EQ(fixture.Stored("Prv_end"), "500");

    form.SetFieldByKey("Prv_end", "99");
    ASSERT_TRUE(form.Ok());
    EXPECT_EQ(rewrites.Count(), 3);
    EXPECT_EQ(fixture.Stored("Prv_bgn"), "100");
    EXPECT_EQ(fixture.Stored("Prv_end"), "999");
}
