#include "LinkKeyValue.h"
#include "support/TempWorkspace.h"

#include "link/HostLink.h"
#include "settings/RegistryKey.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

const DocumentMode& Standard() {
    return DocumentMode::For(OperatingMode::Standard, false);
}

const DocumentMode& Pulse() {
    return DocumentMode::For(OperatingMode::Pulse, false);
}

const std::string kStandardFamily = "[ParmLst]\nActiveSeg=Segment int 1 256\n";

// A download of a segment's points on a channel.
DownloadRequest SegmentRequest(int segment, double lengthPoints, int channel = 0) {
    DownloadRequest request;
    request.segment = segment;
    request.channel = channel;
    request.lengthPoints = lengthPoints;
    return request;
}

} // namespace

// The family file's template is cut after its first blank and the number appended; without
// a template the defaults are used, without a message.
TEST(HostLinkCommands, ChannelAndSegmentCommandsFollowTheFamilysTemplates) {
    struct Case {
        const char* interface;
        bool channel;
        int index;
        const char* command;
    };
    const Case cases[] = {
        {"[Interface]\nActiveSeg=:TRAC:SEL\n", false, 7, ":TRAC:SEL7"},
        {"[Interface]\nActiveCh=:INSTrument:SELect 1\n", true, 1, ":INSTrument:SELect 2"},
        {"", true, 0, ":INST 1"},
        {"", true, 1, ":INST 2"},
        {"", false, 3, ":TRAC:SEL 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        TempWorkspace workspace;
        workspace.WriteFile("QW2182.fam", kStandardFamily + c.interface); // the family file
        HostLink link(workspace.services, workspace.Mode());
        if (c.channel) {
            link.SendChannelCommand(c.index);
        } else {
            link.SendSegmentCommand(c.index);
        }
        EXPECT_EQ(LinkKeyValue(workspace.state, "Cmd"), c.command);
        EXPECT_EQ(workspace.bus.posted, std::vector<int>{NotifyCommand});
        EXPECT_TRUE(workspace.ui.messages.empty());
    }
}

TEST(HostLinkCommands, TemplateStartingWithABlankIsUsedWhole) {
    EXPECT_EQ(HostLink::ApplyTemplate(" SEL", "4"), " SEL4");
    EXPECT_EQ(HostLink::ApplyTemplate(":A :B :C", "4"), ":A 4");
    EXPECT_EQ(HostLink::ApplyTemplate("", "4"), "4");
}

TEST(HostLinkDownload, OnlyTheExactFamilyG4270GetsTheShortForm) {
    EXPECT_EQ(HostLink::ComposeDownloadCommand("G4270", Pulse(), 3, 4096, 1e8), "3 4096");
    EXPECT_EQ(HostLink::ComposeDownloadCommand("g4270", Standard(), 3, 4096, 0),
              ":TRAC:DEF 3,4096;:TRAC:SEL 3");
    EXPECT_EQ(HostLink::ComposeDownloadCommand("G4270B", Standard(), 3, 4096, 0),
              ":TRAC:DEF 3,4096;:TRAC:SEL 3");
}

TEST(HostLinkDownload, G4270DownloadWritesTheShortFormUnderItsOwnHostKey) {
    TempWorkspace workspace("G4270");
    workspace.SetContext("SegmTbl", "Segm2-0", "/w/TemS2.wa0");
    HostLink(workspace.services, workspace.Mode()).DownloadWaveform(SegmentRequest(2, 1024));
    EXPECT_EQ(LinkKeyValue(workspace.state, "Cmd"), "2 1024");
    EXPECT_FALSE(
        RegistryKey(RegistryRoot::CurrentUser, "Software\\Quellwerk\\Consolux\\3.1\\DwnStr")
            .ReadValue("Cmd"));
}

TEST(HostLinkDownload, MissingSegmentRecordIsReportedAndTheHostStillTold) {
    TempWorkspace workspace;
    HostLink(workspace.services, workspace.Mode()).DownloadWaveform(SegmentRequest(5, 64));

    EXPECT_EQ(LinkKeyValue(workspace.state, "wFile"), "noo");
    ASSERT_EQ(workspace.ui.messages.size(), 1u);
    EXPECT_NE(workspace.ui.messages[0].text.find("Key=Segm5-0"), std::string::npos);
    EXPECT_EQ(workspace.bus.posted, std::vector<int>{NotifyDownloadSegment});
    EXPECT_EQ(workspace.Context("SegmStt", "Segm5-0"), "Loaded");
}

// Watches what the host could read at the moment each notification arrives.
class SnoopingHostBus : public HostBus {
public:
    explicit SnoopingHostBus(TempWorkspace& workspace) : workspace_(workspace) {}
    void PostToolNotify(int code) override {
        posted.push_back(code);
        cmdAtPost = LinkKeyValue(workspace_.state, "Cmd");
        fileAtPost = LinkKeyValue(workspace_.state, "wFile");
        loadedAtPost = workspace_.Context("SegmStt", "Segm3-1");
    }
    void SetRequestHandler(RequestHandler) override {}

    std::vector<int> posted;
    std::optional<std::string> cmdAtPost, fileAtPost;
    std::string loadedAtPost;

private:
    TempWorkspace& workspace_;
};

// The host reads the command and the file when it is told; the segment is marked loaded
// only after.
TEST(HostLinkDownload, StandardDownloadLeavesCommandAndFileBeforeTheNotificationThenMarksLoaded) {
    TempWorkspace workspace;
    workspace.SetContext("SegmTbl", "Segm3-1", "/data/TemS3.wa1");
    SnoopingHostBus snoop(workspace);
    AppServices services{workspace.state, workspace.store, workspace.ui, snoop};
    EXPECT_TRUE(
        HostLink(services, workspace.Mode()).DownloadWaveform(SegmentRequest(3, 4096.9, 1)));

    EXPECT_EQ(snoop.posted, std::vector<int>{NotifyDownloadSegment});
    EXPECT_EQ(snoop.cmdAtPost, ":TRAC:DEF 3,4096;:TRAC:SEL 3");
    EXPECT_EQ(snoop.fileAtPost, "/data/TemS3.wa1");
    EXPECT_EQ(snoop.loadedAtPost, "");
    EXPECT_EQ(LinkKeyValue(workspace.state, "Cmd"), snoop.cmdAtPost);
    EXPECT_EQ(LinkKeyValue(workspace.state, "wFile"), snoop.fileAtPost);
    EXPECT_EQ(workspace.Context("SegmStt", "Segm3-1"), "Loaded");
    EXPECT_EQ(workspace.Context("SegmStt", "Segm3-0"), "");
    EXPECT_TRUE(workspace.ui.messages.empty());
}

TEST(HostLinkDownload, FmDownloadWritesOnlyTheMarkerFileAndPostsNine) {
    TempWorkspace workspace("QW2182", OperatingMode::Fm);
    DownloadRequest request;
    request.fmMarkers = {0, 258, -2};
    EXPECT_TRUE(HostLink(workspace.services, workspace.Mode()).DownloadWaveform(request));

    const std::string expected("\x00\x00\x00\x00\x02\x01\x00\x00\xfe\xff\xff\xff", 12);
    EXPECT_EQ(TempWorkspace::ReadFile(workspace.state.userFolder + "/$xMark"), expected);
    EXPECT_FALSE(LinkKeyValue(workspace.state, "Cmd"));
    EXPECT_FALSE(LinkKeyValue(workspace.state, "wFile"));
    EXPECT_EQ(workspace.bus.posted, std::vector<int>{NotifyDownloadFm});
    // Rewritten whole: a shorter table leaves nothing of the longer one behind.
    request.fmMarkers = {0};
    HostLink(workspace.services, workspace.Mode()).DownloadWaveform(request);
    EXPECT_EQ(TempWorkspace::ReadFile(workspace.state.userFolder + "/$xMark"),
              std::string(4, '\0'));
}

// The wide FM family and a pulse sequence leave no command and no marker file: the host is
// told by the code alone; a pulse that fails to render tells it nothing.
TEST(HostLinkDownload, DownloadsWithoutACommandPostOnlyTheirCode) {
    using Render = std::function<PulseRendering()>;
    struct Case {
        const char* family;
        OperatingMode mode;
        Render render;
        bool sent;
        std::vector<int> posted;
    };
    const Render sequence = [] { return PulseRendering{true, true, 1e8, 500}; };
    const Render failing = [] { return PulseRendering{}; };
    const Case cases[] = {
        {"G4270", OperatingMode::Fm, nullptr, true, {NotifyDownloadFm}},
        {"QW2182", OperatingMode::Pulse, sequence, true, {NotifyDownloadSequence}},
        {"QW2182", OperatingMode::Pulse, failing, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.family) + (c.sent ? "" : ", failing to render"));
        TempWorkspace workspace(c.family, c.mode);
        DownloadRequest request;
        request.fmMarkers = {7};
        request.renderPulse = c.render;
        EXPECT_EQ(HostLink(workspace.services, workspace.Mode()).DownloadWaveform(request), c.sent);
        EXPECT_EQ(workspace.bus.posted, c.posted);
        EXPECT_FALSE(LinkKeyValue(workspace.state, "Cmd"));
        EXPECT_FALSE(LinkKeyValue(workspace.state, "wFile"));
        EXPECT_FALSE(std::filesystem::exists(workspace.state.userFolder + "/$xMark"));
    }
}

TEST(HostLinkDownload, PulseSingleSegmentSetsTheClockFirstAndUsesTheRenderedLength) {
    TempWorkspace workspace("QW2182", OperatingMode::Pulse);
    workspace.SetContext("SegmTbl", "Segm2-0", "/w/TemS2.wa0");
    DownloadRequest request = SegmentRequest(2, 1024);
    request.renderPulse = [] { return PulseRendering{true, false, 1e8, 500}; };
    HostLink(workspace.services, workspace.Mode()).DownloadWaveform(request);
    EXPECT_EQ(LinkKeyValue(workspace.state, "Cmd"),
              ":FREQ:RAST 1e+008; :TRAC:DEF 2,500;:TRAC:SEL 2");
    EXPECT_EQ(workspace.bus.posted, std::vector<int>{NotifyDownloadSegment});
}

TEST(HostLinkLifecycle, ClosingDeletesTheDownloadFileAndPostsTheModesCode) {
    TempWorkspace workspace;
    const std::string downloadFile = workspace.state.userFolder + "/^^Dwn.wav";
    std::ofstream(downloadFile) << "x";
    HostLink link(workspace.services, workspace.Mode());
    link.NotifyDeactivated();
    link.NotifyDocumentClosed();
    EXPECT_FALSE(std::filesystem::exists(downloadFile));
    EXPECT_EQ(workspace.bus.posted, (std::vector<int>{NotifyDeactivated, NotifyClosing}));

    TempWorkspace fm("QW2182", OperatingMode::Fm);
    HostLink(fm.services, fm.Mode()).NotifyDocumentClosed();
    EXPECT_EQ(fm.bus.posted, std::vector<int>{NotifyClosingFm});
}
