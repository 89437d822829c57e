#include "GeneratorFixture.h"

#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "document/SegmentCommands.h"
#include "synthesis/EditCommands.h"
#include "synthesis/EditOperations.h"
#include "synthesis/SineDialog.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// 2.5 M points: the undo copy, the write and the read each take several pieces, so a
// Cancel can fall inside any of them.
constexpr std::size_t kPoints = 2500000;

// Everything a cancelled job must leave as it was: the samples, the per-user folder's
// files (no temporary left), the working file, the undo step and the file a save aimed at.
using Traces =
    std::tuple<std::vector<double>, std::vector<std::string>, std::string, std::string, bool>;

class LongJobCancel : public ::testing::Test {
protected:
    LongJobCancel() : chooser(ws().state, ws().ui, ws().Mode()), files(doc(), chooser) {
        // An undo step of its own that a cancelled job must keep.
        EditOperations::Apply(doc(), EditCommands::kInvert, 0, 9, kPoints - 1);
        ws().ui.Clear();
        opened = ws().WriteFile("opened.wav", std::string(kPoints * 2, '\x11'));
    }
    TempWorkspace& ws() { return fixture.workspace; }
    WaveDoc& doc() { return fixture.document; }
    std::string Target() { return ws().Folder() + "saved.wav"; }
    Traces Take() {
        return {fixture.Samples(), TempWorkspace::FolderEntries(ws().state.userFolder),
                TempWorkspace::ReadFile(doc().CurrentPath()),
                TempWorkspace::ReadFile(doc().Undo().Path()), std::filesystem::exists(Target())};
    }

    GeneratorFixture fixture{"QW2182", OperatingMode::Standard, kPoints};
    FileChooser chooser;
    FileCommands files;
    std::string opened; // a file for Open, of another waveform
};

struct CancelCase {
    const char* job;
    int cancelAt; // the progress report at which the user presses Cancel
};

// The commands that show their progress through the user interface: Invert in its undo
// copy and in its write, New and a length change in their write, Undo in its copy, Save As in its
// write (binary and both texts), Open in its read and in the write of the working file, a
// generator dialog in the copy it keeps for Cancel.
const CancelCase kCommandCases[] = {{"invert", 0},   {"invert", 4},   {"invert", 6}, {"new", 6},
                                    {"length", 6},   {"undo", 0},     {"undo", 3},   {"save-as", 1},
                                    {"save-asc", 1}, {"save-csv", 2}, {"open", 0},   {"open", 3},
                                    {"generator", 0}};

} // namespace

TEST_F(LongJobCancel, CancelledCommandsLeaveWaveformFilesAndUndoStepAsTheyWere) {
    for (const CancelCase& c : kCommandCases) {
        SCOPED_TRACE(std::string(c.job) + " cancelled at report " + std::to_string(c.cancelAt));
        const Traces before = Take();
        ws().ui.Clear();
        ws().ui.cancelAtReport = c.cancelAt;
        const std::string job = c.job;
        if (job == "invert") {
            EXPECT_FALSE(
                EditOperations::Apply(doc(), EditCommands::kInvert, 0, kPoints - 1, kPoints - 1));
        } else if (job == "length") {
            doc().SetLength("3000000");
        } else if (job == "new") {
            EXPECT_FALSE(files.OnNew());
        } else if (job == "undo") {
            EXPECT_FALSE(files.OnUndo());
        } else if (job == "open") {
            ws().ui.fileAnswers.push_back(FileChoice{opened, 0});
            EXPECT_FALSE(files.OnOpen());
        } else if (job == "generator") {
            EXPECT_TRUE(SineDialog(doc()).Stopped());
        } else {
            const int format = job == "save-asc" ? 1 : job == "save-csv" ? 2 : 0;
            ws().ui.fileAnswers.push_back(FileChoice{Target(), format});
            EXPECT_FALSE(files.OnSaveAs());
        }
        EXPECT_EQ(ws().ui.progressTitles.size(), 1u);
        EXPECT_EQ(ws().ui.progressReports.size(), static_cast<std::size_t>(c.cancelAt + 1));
        EXPECT_TRUE(ws().ui.messages.empty());
        EXPECT_TRUE(Take() == before);
    }
    // Not cancelled, the same command goes through to the end.
    ws().ui.Clear();
    ASSERT_TRUE(EditOperations::Apply(doc(), EditCommands::kInvert, 0, kPoints - 1, kPoints - 1));
    EXPECT_DOUBLE_EQ(ws().ui.progressReports.back(), 1.0);
}

// OK of a generator: one progress over the generation, the undo copy and the write; a
// Cancel in any of them, or in a Preview's generation, leaves the waveform and its undo
// step as they were.
TEST_F(LongJobCancel, CancelledGenerationLeavesWaveformAndUndoStepAsTheyWere) {
    SineDialog form(doc());
    form.Initialize();
    ASSERT_TRUE(form.SetFieldByKey("Prv_end", std::to_string(kPoints - 1)));
    const int generationReports = static_cast<int>(kPoints / WaveGenerator::kProgressStride) + 1;
    const std::pair<bool, int> cancels[] = {
        {true, 3}, {false, 3}, {false, generationReports + 1}, {false, generationReports + 6}};
    for (const auto& [preview, cancelAt] : cancels) {
        SCOPED_TRACE((preview ? "Preview" : "OK") + std::string(" cancelled at report ") +
                     std::to_string(cancelAt));
        const Traces before = Take();
        int reports = 0;
        const ProgressCallback progress = [&](double) { return reports++ != cancelAt; };
        EXPECT_FALSE(preview ? form.Preview(progress) : form.Ok(progress));
        EXPECT_EQ(reports, cancelAt + 1);
        EXPECT_TRUE(Take() == before);
    }
    double last = 0.0;
    ASSERT_TRUE(form.Ok([&](double done) {
        last = done;
        return true;
    }));
    EXPECT_DOUBLE_EQ(last, 1.0);
}

// A Cancel of the start-up load keeps the file and loads nothing.
TEST_F(LongJobCancel, CancelledStartUpLoadLeavesTheFileAndLoadsNothing) {
    const std::string working = TempWorkspace::ReadFile(doc().CurrentPath());
    ws().ui.Clear();
    ws().ui.cancelAtReport = 0;
    WaveDoc next(ws().services, ws().Mode());
    SegmentCommands(next, ws().services).OpenActiveSegment();
    EXPECT_EQ(ws().ui.progressReports.size(), 1u);
    EXPECT_EQ(next.Samples().Size(), 0u);
    EXPECT_EQ(TempWorkspace::ReadFile(doc().CurrentPath()), working);
}
