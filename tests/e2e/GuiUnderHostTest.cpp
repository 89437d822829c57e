// End to end: the GUI tool as consolux runs it. The main frame lives in this process with
// the real D-Bus host bus; the host stand-in (`consolux serve`), the simulated instrument
// and the host's requests (`consolux request`) are separate programs on the same private
// session bus, and the last case starts the real program. Run under dbus-run-session with
// QT_QPA_PLATFORM=offscreen.
#include "app/ToolSession.h"
#include "instrument/ScpiTestClient.h"
#include "platform/posix/PosixProcessFacts.h"
#include "platform/qt/DbusHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/AtomicFileWriter.h"
#include "settings/IniFile.h"
#include "support/FakeProcessFacts.h"
#include "support/ProgramUnderTest.h"
#include "synthesis/GeneratorCommands.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/WaveParamDialogWidget.h"
#include "ui/support/WidgetInput.h"

#include <QAction>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

namespace {

constexpr int kWaitMs = ProgramUnderTest::kWaitMs;

QByteArray ReadWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the next parameter dialog of the Wave menu as a user would: types the number of
// cycles and presses OK. A dialog that OK did not close is cancelled later, so that a
// refusal fails the test instead of hanging it.
void AnswerWaveDialog(const QString& cycles) {
    OnNextDialog([cycles](QWidget* modal) {
        auto* dialog = qobject_cast<WaveParamDialogWidget*>(modal);
        QVERIFY(dialog != nullptr);
        Type(dialog->Edit(4), cycles); // after the two anchors and the two levels
        Click(*dialog, "ok");
        QTimer::singleShot(kWaitMs, dialog, &QDialog::reject);
    });
}

} // namespace

class GuiUnderHostTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run me under dbus-run-session");
        qputenv("WAVESMITH_REGISTRY_DIR", temp_.filePath(QStringLiteral("registry")).toLocal8Bit());
        workspace_ = temp_.filePath(QStringLiteral("ws"));

        QProcess prepare;
        prepare.start(QStringLiteral(CONSOLUX_PROGRAM), {QStringLiteral("prepare"), workspace_});
        QVERIFY(prepare.waitForFinished(kWaitMs));
        QCOMPARE(prepare.exitCode(), 0);
        for (const QString& line :
             QString::fromLocal8Bit(prepare.readAllStandardOutput()).split('\n')) {
            if (line.startsWith(QStringLiteral("context="))) {
                contextFile_ = line.mid(8);
            }
        }
        QVERIFY(QFile::exists(contextFile_));
        // As the host starts it, the tool works in its workspace: that is how the host tells
        // its own tool from the others on the bus.
        QVERIFY(QDir::setCurrent(workspace_));
        downloadFile_ = QFileInfo(contextFile_).path() + QStringLiteral("/^^Dwn.wav");
        QVERIFY(AtomicFileWriter::WriteWhole(downloadFile_.toStdString(), "left by the host"));

        const QString portFile = temp_.filePath(QStringLiteral("port"));
        QVERIFY(instrument_.Start(QStringLiteral(AWG_SIM_PROGRAM),
                                  {"--port", "0", "--port-file", portFile}));
        QVERIFY(QTest::qWaitFor([&] { return !ReadWhole(portFile).trimmed().isEmpty(); }, kWaitMs));
        port_ = ReadWhole(portFile).trimmed().toUShort();
        QVERIFY(port_ != 0);

        QVERIFY(host_.Start(
            QStringLiteral(CONSOLUX_PROGRAM),
            {"serve", workspace_, "--instrument", QStringLiteral("127.0.0.1:%1").arg(port_)}));
        QVERIFY2(!host_.WaitForLine(QStringLiteral("listening")).isEmpty(),
                 qPrintable(host_.Said()));

        // A tool that the host started in its workspace: the workspace is the current folder and
        // the command line names no other mode. The user is the logged-on one, as for consolux.
        facts_.userName = PosixProcessFacts().LogonUserName();
        facts_.folder = workspace_.toStdString();
        bus_ = std::make_unique<DbusHostBus>();
        session_ = std::make_unique<ToolSession>(facts_, ui_, *bus_);
        frame_ = MainFrame::Launch(*session_);
        QVERIFY(frame_ != nullptr);
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        QCOMPARE(session_->State().activeChannel, 0);
        QCOMPARE(session_->State().activeSegment, 1);
    }

    void SegmentAndChannelChoicesReachTheInstrument() {
        QLineEdit* segmentField = frame_->GetBarControl(ControlId::kSecondField);
        ScpiTestClient probe(port_);

        qsizetype mark = host_.Mark();
        frame_->Action(CommandId::kChannel2)->trigger();
        QCOMPARE(host_.WaitForLine(QStringLiteral("notify 1 "), mark),
                 QStringLiteral("notify 1 command \":INST 2\" -> 0,\"No error\""));
        QCOMPARE(probe.Query(":INST?"), std::optional<std::string>("2"));

        // Choosing the active channel again tells the host nothing: the next command it
        // forwards is the segment's.
        mark = host_.Mark();
        frame_->Action(CommandId::kChannel2)->trigger();
        TypeAndEnter(segmentField, QStringLiteral("5"));
        QCOMPARE(host_.WaitForLine(QStringLiteral("notify 1 "), mark),
                 QStringLiteral("notify 1 command \":TRAC:SEL 5\" -> 0,\"No error\""));
        QCOMPARE(probe.Query(":INST?;:TRAC:SEL?"), std::optional<std::string>("2;5"));

        // A download now goes where the window points: channel 2, segment 5.
        QCOMPARE(session_->State().activeChannel, 1);
        QCOMPARE(session_->State().activeSegment, 5);
        MakeAndDownload(*GeneratorCommands::CommandOfName("square"), QStringLiteral("7"));
    }

    void PlaceRequestAddressedToThisToolMovesIt() {
        // Where this platform puts a window asked to go to (200, -16): the offscreen one keeps
        // a frame margin on the screen. The other window also takes the activation.
        const QSize size = frame_->size();
        QWidget other;
        other.resize(size);
        other.show();
        other.move(200, -16);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        const QPoint placed = other.pos();
        QVERIFY(placed.y() < 0);

        // A host addresses one tool by the sender of its notices; y is signed.
        const QString tool = QDBusConnection::sessionBus().baseService();
        QVERIFY(Request({"6", "200,-16", "--to", tool}));
        QTRY_COMPARE_WITH_TIMEOUT(QRect(frame_->pos(), frame_->size()), QRect(placed, size),
                                  kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(frame_->isActiveWindow(), kWaitMs);
    }

    // The in-process tool ends first, its window and then its session as the program does, so
    // that only the started program answers the close request.
    void ProgramStartedInTheWorkspaceClosesOnRequest() {
        frame_.reset();
        session_.reset();
        QVERIFY(AtomicFileWriter::WriteWhole(downloadFile_.toStdString(), "left by the host"));
        ProgramUnderTest program;
        QProcess& tool = program.Process();
        tool.setWorkingDirectory(workspace_);
        const qsizetype mark = host_.Mark();
        QVERIFY(program.Start(QStringLiteral(WAVESMITH_PROGRAM), {}));

        // A request sent before the program has joined the bus is heard by nobody, so it is
        // repeated until the program ends.
        const QDeadlineTimer deadline(kWaitMs);
        const auto ended = [&tool] { return tool.state() == QProcess::NotRunning; };
        while (!ended() && !deadline.hasExpired()) {
            QVERIFY(Request({"3"}));
            if (QTest::qWaitFor(ended, 250)) {
                break;
            }
        }
        QVERIFY2(ended(), qPrintable(program.Said()));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(host_.WaitForLine(QStringLiteral("notify 5 "), mark),
                 QStringLiteral("notify 5 closing"));
        QVERIFY(!QFile::exists(downloadFile_));
    }

    void cleanupTestCase() {
        frame_.reset();
        session_.reset();
        bus_.reset();
        host_.Stop();
        instrument_.Stop();
        QStringList shown;
        for (const auto& message : ui_.messages) {
            shown << QString::fromStdString(message.text);
        }
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1Char('\n'))));
    }

private:
    bool Request(const QStringList& arguments) {
        QProcess request;
        request.start(QStringLiteral(CONSOLUX_PROGRAM), QStringList{"request"} + arguments);
        return request.waitForFinished(kWaitMs) && request.exitStatus() == QProcess::NormalExit &&
               request.exitCode() == 0;
    }

    // The working file of a segment on a channel (0-based), from the context file.
    QString WorkingFile(int segment, int channel) const {
        const std::string key = "Segm" + std::to_string(segment) + "-" + std::to_string(channel);
        return QString::fromStdString(
            IniFile(contextFile_.toStdString()).Read("SegmTbl", key).value_or(""));
    }

    // Generates a wave through its dialog, downloads it and checks that the instrument
    // holds exactly the working file.
    void MakeAndDownload(int waveCommand, const QString& cycles) {
        const int segment = session_->State().activeSegment;
        const int channel = session_->State().activeChannel;
        const QString file = WorkingFile(segment, channel);
        const QByteArray before = ReadWhole(file);
        QCOMPARE(before.size(), 2048); // the default 1024-point waveform of a new segment

        AnswerWaveDialog(cycles);
        frame_->Action(waveCommand)->trigger(); // returns once the modal dialog has closed
        const QByteArray made = ReadWhole(file);
        QCOMPARE(made.size(), before.size());
        QVERIFY2(made != before, "OK in the dialog did not change the working file");

        const qsizetype mark = host_.Mark();
        frame_->Action(CommandId::kDownload)->trigger();
        const QString notice = host_.WaitForLine(QStringLiteral("notify 2 "), mark);
        QCOMPARE(notice,
                 QStringLiteral("notify 2 download ch=%1 \":TRAC:DEF %2,1024;:TRAC:SEL %2\" "
                                "%3 2048 bytes -> 0,\"No error\"")
                     .arg(channel + 1)
                     .arg(segment)
                     .arg(file));
        ScpiTestClient probe(port_);
        QVERIFY(probe.Send(":INST " + std::to_string(channel + 1) + ";:TRAC:SEL " +
                           std::to_string(segment) + ";:TRAC:DATA?\n"));
        const std::optional<std::string> arrived = probe.ReadBlock();
        QVERIFY(arrived.has_value());
        QVERIFY2(QByteArray::fromStdString(*arrived) == made,
                 "the instrument's copy differs from the working file");
    }

    QTemporaryDir temp_;
    QString workspace_;
    QString contextFile_;
    QString downloadFile_;
    quint16 port_ = 0;
    ProgramUnderTest instrument_;
    ProgramUnderTest host_;

    FakeProcessFacts facts_;
    RecordingUserInterface ui_;
    std::unique_ptr<DbusHostBus> bus_;
    std::unique_ptr<ToolSession> session_;
    std::unique_ptr<MainFrame> frame_;
};

QTEST_MAIN(GuiUnderHostTest)
#include "GuiUnderHostTest.moc"
