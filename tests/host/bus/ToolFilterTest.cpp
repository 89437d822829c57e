#include "bus/ToolFilter.h"
#include "core/HostBus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Two workspaces side by side whose names share a beginning, and a link to the first.
class Workspaces : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tool-filter-" + std::to_string(::getpid()));
        fs::create_directories(root / "ws" / "$tst");
        fs::create_directories(root / "ws2" / "$tst");
        fs::create_directory_symlink(root / "ws", root / "link");
    }
    void TearDown() override { fs::remove_all(root); }

    std::string Path(const std::string& relative) const { return (root / relative).string(); }

    fs::path root;
};

ToolNotice Notice(int code, const std::vector<std::string>& sentFiles = {}) {
    return {code, "", sentFiles.empty() ? "" : sentFiles.front(), 0, sentFiles};
}

} // namespace

TEST_F(Workspaces, ToolsOfThisWorkspaceAndTheStartedToolAreOurs) {
    ToolFilter filter(Path("link") + "/");
    filter.SetStartedProcess(4242);
    const std::string gone = "the sender left the bus before it could be identified";
    const std::string unreadable =
        "process 100 could not be looked at (its working folder is unreadable)";
    const std::string goneWithForeignFile =
        gone + ", and its waveform file is not in this workspace";
    struct Case {
        ToolProcess sender;
        ToolNotice notice;
        std::string refusal; // empty: performed
    };
    const Case cases[] = {
        {{100, Path("ws")}, Notice(NotifyCommand), ""},
        {{100, Path("ws") + "/"}, Notice(NotifyClosing), ""},
        {{4242, Path("ws2")}, Notice(NotifyDownloadSegment), ""},
        {{100, Path("ws2")},
         Notice(NotifyDownloadSegment, {Path("ws/$tst/TemS1.wa0")}),
         "another tool's (process 100, working in " + Path("ws2") + ")"},
        {{100, Path("ws/$tst")},
         Notice(NotifyCommand),
         "another tool's (process 100, working in " + Path("ws/$tst") + ")"},
        // A folder that cannot be read: judged by its files, as one that has gone.
        {{100, ""}, Notice(NotifyCommand), unreadable},
        {{100, ""}, Notice(NotifyDownloadSegment, {Path("ws/$tst/TemS1.wa0")}), ""},
        {{100, ""},
         Notice(NotifyDownloadSegment, {Path("ws2/$tst/TemS1.wa0")}),
         unreadable + ", and its waveform file is not in this workspace"},
        // Gone before it could be looked at: only a download of files in this workspace counts.
        {{}, Notice(NotifyDownloadSegment, {Path("ws/$tst/TemS1.wa0")}), ""},
        {{}, Notice(NotifyDownloadSegment, {Path("link/$tst/TemS1.wa0")}), ""},
        {{}, Notice(NotifyDownloadSegment, {Path("ws2/$tst/TemS1.wa0")}), goneWithForeignFile},
        {{},
         Notice(NotifyDownloadSegment, {Path("ws/../ws2/$tst/TemS1.wa0")}),
         goneWithForeignFile},
        {{}, Notice(NotifyDownloadSegment, {"noo"}), goneWithForeignFile},
        {{}, Notice(NotifyDownloadFm, {Path("ws/$tst/FmWave.wa0")}), ""},
        {{}, Notice(NotifyDownloadFm), goneWithForeignFile},
        {{}, Notice(NotifyDownloadSequence, {Path("ws/$tst/P1.wa0"), Path("ws/$tst/P2.wa0")}), ""},
        {{},
         Notice(NotifyDownloadSequence, {Path("ws/$tst/P1.wa0"), Path("ws2/$tst/P2.wa0")}),
         goneWithForeignFile},
        {{}, Notice(NotifyCommand), gone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(filter.Refusal(c.sender, c.notice), c.refusal)
            << c.sender.id << " " << c.sender.folder << " " << c.notice.code << " "
            << c.notice.waveFile;
    }
}
