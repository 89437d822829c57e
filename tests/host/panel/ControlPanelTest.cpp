// The control panel of `consolux demo` with the real host service, a simulated instrument
// and notices posted on the session bus. Run under dbus-run-session with
// QT_QPA_PLATFORM=offscreen.
#include "panel/ControlPanel.h"
#include "HostTestSupport.h"
#include "platform/qt/DbusHostBus.h"
#include "session/DemoSession.h"
#include "settings/IniFile.h"
#include "settings/RegistryKey.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <fstream>

// Every wait is bounded by this; a healthy run needs a fraction of it.
constexpr int kWaitMs = ProgramUnderTest::kWaitMs;

class ControlPanelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!QDBusConnection::sessionBus().isConnected()) {
            QSKIP("no D-Bus session bus (run under dbus-run-session)");
        }
        simulator_ = std::make_unique<SimulatorProcess>();
        QVERIFY(simulator_->Running());
        ConsoluxOptions options;
        options.family = ConsoluxOptions::kDefaultFamily;
        options.instrument = simulator_->Address();
        session_ = std::make_unique<DemoSession>(options, InstallLayout(BuildTreeProgram("host")));
        QVERIFY2(session_->Start(), qPrintable(session_->LastError()));
        session_->Service().SetStartedTool(QCoreApplication::applicationPid());
        panel_ = std::make_unique<ControlPanel>(*session_);
        panel_->show();
        tool_ = std::make_unique<DbusHostBus>();
    }

    void DownloadResultAndMemoryAreShown() {
        ToolDownloads();
        QTRY_VERIFY_WITH_TIMEOUT(Result()->text().endsWith(QStringLiteral(
                                     "done: segment 2 of channel 1: 64 points, 128 bytes")),
                                 kWaitMs);
        auto* memory = panel_->findChild<QTreeWidget*>();
        QTRY_COMPARE_WITH_TIMEOUT(memory->topLevelItemCount(), 1, kWaitMs);
        const QTreeWidgetItem* row = memory->topLevelItem(0);
        QCOMPARE(QStringList({row->text(0), row->text(1), row->text(2)}),
                 QStringList({"1", "2", "64"}));
        QVERIFY(!panel_->findChild<QProgressBar*>(QStringLiteral("downloadProgress"))->isVisible());
    }

    void FmDownloadShowsItsMarkers() {
        const Workspace& workspace = session_->CurrentWorkspace();
        const std::string wave = workspace.UserFolder() + "/FmDef.wvf";
        std::ofstream(wave, std::ios::binary)
            << ScpiTestClient::Bytes(std::vector<std::int32_t>(100, 500'000'000));
        std::ofstream(workspace.UserFolder() + "/$xMark", std::ios::binary)
            << ScpiTestClient::Bytes(std::vector<std::int32_t>{7, 70});
        IniFile context(workspace.ContextFile());
        context.Write("SegmTbl", "FmWave", wave);
        context.Write("Settings", "FmDev0", "1e6");
        tool_->PostToolNotify(NotifyDownloadFm);
        auto* markers = panel_->findChild<QLabel*>(QStringLiteral("fmMarkers"));
        QTRY_COMPARE_WITH_TIMEOUT(markers->text(), QStringLiteral("2 markers at samples 7, 70"),
                                  kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(
            Result()->text().contains(QStringLiteral("done: FM waveform of channel 1: 100 points")),
            kWaitMs);
    }

    void FailedDownloadIsShownAsFailed() {
        simulator_->Kill();
        ToolDownloads();
        QTRY_VERIFY_WITH_TIMEOUT(
            Result()->text().contains(QStringLiteral("FAILED: segment 2 of channel 1: ")), kWaitMs);
        QVERIFY(Result()->text().contains(QStringLiteral("Connection refused")));
        QVERIFY(simulator_->Restart());
    }

    void OtherToolsNoticesAreListedAsIgnored() {
        session_->Service().SetStartedTool(0);
        auto* log = panel_->findChild<QListWidget*>();
        const int before = log->count();
        tool_->PostToolNotify(NotifyDownloadSegment);
        QTRY_VERIFY_WITH_TIMEOUT(log->count() > before, kWaitMs);
        const QListWidgetItem* item = log->item(log->count() - 1);
        QVERIFY2(item->text().contains(QStringLiteral("notify 2 ignored: another tool's")),
                 qPrintable(item->text()));
        QVERIFY(item->foreground().color() != log->item(0)->foreground().color());
        session_->Service().SetStartedTool(QCoreApplication::applicationPid());
    }

    void FitsAnEightHundredBySixHundredScreen() {
        // The offscreen platform's screen is 800 x 600, the smallest the panel must fit.
        const QRect screen = panel_->screen()->availableGeometry();
        QVERIFY2(screen.contains(panel_->frameGeometry()),
                 qPrintable(QStringLiteral("%1 x %2").arg(panel_->width()).arg(panel_->height())));
        const QSize least = panel_->minimumSizeHint();
        QVERIFY2(least.width() <= 800 && least.height() <= 560,
                 qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
        // Smaller still, the groups shrink or scroll and what shows of them never overlaps.
        panel_->resize(least);
        QCoreApplication::processEvents();
        const QList<QGroupBox*> groups = panel_->findChildren<QGroupBox*>();
        QCOMPARE(groups.size(), 4);
        const auto shown = [this](const QGroupBox* group) {
            const QRect part = group->visibleRegion().boundingRect();
            return QRect(group->mapTo(panel_.get(), part.topLeft()), part.size());
        };
        for (const QGroupBox* group : groups) {
            QVERIFY2(group->height() >= group->minimumSizeHint().height(),
                     qPrintable(group->title()));
            for (const QGroupBox* other : groups) {
                QVERIFY2(group == other || !shown(group).intersects(shown(other)),
                         qPrintable(group->title() + " / " + other->title()));
            }
        }
    }

    // A bad address is refused with the one message; a good one, in another form than the
    // session's, is where the instrument is asked next.
    void ConnectionFieldSaysWhatIsWrongOrConnects() {
        auto* field = panel_->findChild<QLineEdit*>(QStringLiteral("connection"));
        QVERIFY(field != nullptr);
        const auto enter = [field](const QString& text) {
            field->setText(text);
            QTest::keyClick(field, Qt::Key_Return);
        };
        enter(QStringLiteral("TCPIP::awg::5025"));
        auto* log = panel_->findChild<QListWidget*>();
        const QString refusal =
            QString::fromStdString(InstrumentAddress::ParseError("TCPIP::awg::5025"));
        QCOMPARE(log->findItems(refusal, Qt::MatchContains).size(), 1);
        const auto shown = [this](const QString& start) {
            const QList<QLabel*> labels = panel_->findChildren<QLabel*>();
            return std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
                return label->text().startsWith(start);
            });
        };
        enter(QStringLiteral("127.0.0.1:1"));
        QTRY_VERIFY_WITH_TIMEOUT(
            shown(QStringLiteral("instrument: 127.0.0.1:1: Connection refused")), kWaitMs);
        enter(QStringLiteral("TCPIP::127.0.0.1::%1::SOCKET").arg(simulator_->Port()));
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("Quellwerk,")), kWaitMs);
    }

    void cleanupTestCase() {
        panel_.reset();
        session_.reset();
        tool_.reset();
        simulator_.reset();
    }

private:
    // Leaves a 64-point waveform for segment 2 of channel 1 as the tool would, and posts.
    void ToolDownloads() {
        const Workspace& workspace = session_->CurrentWorkspace();
        const std::string path = workspace.UserFolder() + "/TemS2.wa0";
        const std::string bytes = ScpiTestClient::Bytes(AwkwardSamples(64));
        std::ofstream(path, std::ios::binary) << bytes;
        IniFile(workspace.ContextFile()).Write("SegmTbl", "Segm2-0", path);
        workspace.SetActiveSegment(0, 2);
        const RegistryKey link(RegistryRoot::CurrentUser, workspace.LinkKeyPath());
        link.WriteValue("Cmd", ":TRAC:DEF 2,64;:TRAC:SEL 2");
        link.WriteValue("wFile", path);
        tool_->PostToolNotify(NotifyDownloadSegment);
    }

    QLabel* Result() const { return panel_->findChild<QLabel*>(QStringLiteral("downloadResult")); }

    std::unique_ptr<SimulatorProcess> simulator_;
    std::unique_ptr<DemoSession> session_;
    std::unique_ptr<ControlPanel> panel_;
    std::unique_ptr<DbusHostBus> tool_;
};

QTEST_MAIN(ControlPanelTest)
#include "ControlPanelTest.moc"
