#include "ui/MainFrame.h"
#include "app/ToolSession.h"
#include "core/AppState.h"
#include "core/HostBus.h"
#include "core/StringTable.h"
#include "document/WaveDoc.h"
#include "link/LinkKeyValue.h"
#include "settings/RegistryKey.h"
#include "support/TempWorkspace.h"
#include "ui/AnchorEditor.h"
#include "ui/AnchorHandle.h"
#include "ui/CommandIds.h"
#include "ui/FramePlacement.h"
#include "ui/ToolBands.h"
#include "ui/WaveView.h"
#include "ui/support/WorkspaceFacts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// A frame started by the host in a prepared workspace; `setup` runs before the start,
// when the workspace's context file and registry can still be arranged.
struct RunningFrame {
    explicit RunningFrame(const std::string& commandLine = "wavesmith",
                          const std::function<void(TempWorkspace&)>& setup = {},
                          const std::string& family = "QW2182")
        : workspace(family), facts(workspace, commandLine),
          session(facts, workspace.ui, workspace.bus) {
        if (setup) {
            setup(workspace);
        }
        frame = MainFrame::Launch(session);
        // The first activation re-reads the active segment; the tests start after it.
        if (frame != nullptr) {
            QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        }
    }

    QAction* Action(int id) const { return frame->Action(id); }
    QLineEdit* Field(int id) const { return frame->GetBarControl(id); }
    std::string HostValue(const char* subkey, const char* name) {
        return workspace.store.ReadHostValue(subkey, name);
    }

    TempWorkspace workspace;
    WorkspaceFacts facts;
    ToolSession session;
    std::unique_ptr<MainFrame> frame;
};

// The texts of a menu's items, without mnemonics and separators.
QStringList ItemTexts(const QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().remove('&');
        }
    }
    return texts;
}

QMenu* MenuNamed(const MainFrame& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

bool BarHolds(const QToolBar* bar, const QAction* action) {
    return bar->actions().contains(const_cast<QAction*>(action));
}

// A waveform file of the wide FM variant: frequencies in Hz as 64-bit doubles.
std::string HzSamples(const std::vector<double>& values) {
    std::string bytes(values.size() * sizeof(double), '\0');
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

void TypeAndEnter(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

void WriteProfile(const char* name, const std::string& value) {
    RegistryKey(RegistryRoot::CurrentUser, FramePlacement::kProfileKey).WriteValue(name, value);
}

std::string ReadProfile(const char* name) {
    return RegistryKey(RegistryRoot::CurrentUser, FramePlacement::kProfileKey)
        .ReadValue(name)
        .value_or("");
}

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void StandardMenusHoldTheEditorItems();
    void FmMenusMoveChannelsToDownloadAndAddMarkers();
    void PulseMenusHoldOnlyFileViewDownloadAbout();
    void ShortcutsReachFileCommandsExceptInFmEditor();
    void UndoIsEnabledExactlyWhileASnapshotExists();
    void LengthFieldResizesDocumentOnEnter();
    void LengthOutsideRangeIsRefusedAndFieldRestored();
    void LengthFieldConfirmsWhenFocusLeavesAfterTyping();
    void SegmentFieldSwitchesSegmentAndRefusesZero();
    void FmSecondFieldSetsDeviationAndTellsTheHost();
    void WideFmDeviationFieldShowsWhatTheSamplesSpan();
    void StoredHiddenParameterBarStartsHiddenAndUnchecked();
    void BarPopupListsBandCaptionsInOrder();
    void StoredRectRestoresPlacementAndIsWrittenBack();
    void FmEditorWithoutStoredRectOpensBesideTheStandardOne();
    void AboutBoxShowsVersionAndBuild();
    void ChannelItemsFollowInstrumentChannels_data();
    void ChannelItemsFollowInstrumentChannels();
    void ChannelCommandSwitchesActiveChannel();
    void FmInstrumentBarHasOnlyDownloadButton();
    void HostPlaceAndTileMoveTheWindow();
    void HostPlaceOfTheOtherEditorIsIgnored();
    void HostCloseRequestClosesTheWindow();
    void DroppedFileOpensUnderTheOpenDialogRules();
    void FileDroppedOnTheWindowIsOpenedAfterTheDrop();
    void UndoShortcutReachesTheWaveformFromAnUntouchedField();
    void ClosedAnchorEditorGivesTheKeyboardBackToTheView();
    void PulseDesignerDisablesWhatNeedsTheRenderedDesign();
    void DrawingPromptStaysWhileTheCursorPositionChanges();
};

void MainFrameTest::StandardMenusHoldTheEditorItems() {
    RunningFrame run;
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&File")),
             QStringList({"New Waveform", "Open Waveform...", "Save Waveform",
                          "Save Waveform As...", "Print", "Exit"}));
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&Edit")),
             QStringList({"Autoline", "Sketch", "Smooth", "Filter...", "Invert", "Trim Left",
                          "Trim right", "Unmark", "Undo"}));
    QCOMPARE(
        ItemTexts(MenuNamed(*run.frame, "&View")),
        QStringList({"Zoom in", "Zoom out", "File Operation Bar", "Wave Edit Bar",
                     "Wave Parameter Bar", "Instrument Control Bar", "Channel 1", "Channel 2"}));
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "Wave")),
             QStringList({"Sine...", "Triangle...", "Square...", "Sinc...", "Gaussian...",
                          "Exponent...", "Pulse...", "Noise...", "Equation..."}));
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&Download")), QStringList({"Waveform"}));
}

void MainFrameTest::FmMenusMoveChannelsToDownloadAndAddMarkers() {
    RunningFrame run("wavesmith FMS");
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&Edit")).last(), QString("FM Markers..."));
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&View")),
             QStringList({"Zoom in", "Zoom out", "File Operation Bar", "Wave Edit Bar",
                          "Wave Parameter Bar", "Instrument Control Bar", "Marker Bar"}));
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&Download")),
             QStringList({"Waveform", "Channel 1", "Channel 2"}));
    QVERIFY(run.frame->BandBar(ToolBands::MarkerBand) != nullptr);
}

void MainFrameTest::PulseMenusHoldOnlyFileViewDownloadAbout() {
    RunningFrame run("wavesmith PLS");
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&File")),
             QStringList({"New", "Open...", "Save", "Save As...", "Print", "Exit"}));
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&View")), QStringList({"Pulse Editor..."}));
    QCOMPARE(ItemTexts(MenuNamed(*run.frame, "&Download")),
             QStringList({"Waveform", "Channel 1", "Channel 2"}));
    QVERIFY(run.frame->BandBar(ToolBands::EditBand) == nullptr);
    QVERIFY(!run.Field(ControlId::kLengthField)->isEnabled());
}

void MainFrameTest::ShortcutsReachFileCommandsExceptInFmEditor() {
    RunningFrame standard;
    QCOMPARE(standard.Action(CommandId::kNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(standard.Action(CommandId::kOpen)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(standard.Action(CommandId::kSave)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(standard.Action(CommandId::kPrint)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QCOMPARE(standard.Action(CommandId::kUndo)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    RunningFrame pulse("wavesmith PLS");
    QCOMPARE(pulse.Action(CommandId::kNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    RunningFrame fm("wavesmith FMS");
    for (QAction* action : fm.frame->findChildren<QAction*>()) {
        QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
    }
}

void MainFrameTest::UndoIsEnabledExactlyWhileASnapshotExists() {
    RunningFrame run;
    QAction* undo = run.Action(CommandId::kUndo);
    run.frame->UpdateCommandStates();
    QVERIFY(!undo->isEnabled());

    TypeAndEnter(run.Field(ControlId::kLengthField), "2000");
    QVERIFY(undo->isEnabled());

    undo->trigger();
    QCOMPARE(run.session.Document().Length(), 1024.0);
    QVERIFY(!undo->isEnabled());
}

void MainFrameTest::LengthFieldResizesDocumentOnEnter() {
    RunningFrame run;
    QLineEdit* field = run.Field(ControlId::kLengthField);
    QCOMPARE(field->text(), QString("1024"));

    TypeAndEnter(field, "2000");

    QCOMPARE(run.session.Document().Length(), 2000.0);
    QCOMPARE(field->text(), QString("2000"));
    QVERIFY(!field->isModified());
    const std::string file = run.session.Document().CurrentPath();
    QCOMPARE(TempWorkspace::ReadFile(file).size(), std::size_t{4000});
}

void MainFrameTest::LengthOutsideRangeIsRefusedAndFieldRestored() {
    RunningFrame run;
    QLineEdit* field = run.Field(ControlId::kLengthField);

    TypeAndEnter(field, "8"); // the family's shortest waveform has 16 points

    QCOMPARE(run.workspace.ui.MessageIds(), std::vector<int>{MsgValueOutOfRange});
    QCOMPARE(run.session.Document().Length(), 1024.0);
    QCOMPARE(field->text(), QString("1024"));
}

void MainFrameTest::LengthFieldConfirmsWhenFocusLeavesAfterTyping() {
    RunningFrame run;
    QVERIFY(QTest::qWaitForWindowActive(run.frame.get()));
    QLineEdit* length = run.Field(ControlId::kLengthField);
    length->setFocus();
    length->selectAll();
    QTest::keyClicks(length, "4096");
    QCOMPARE(run.session.Document().Length(), 1024.0); // typed, not yet confirmed

    run.Field(ControlId::kSecondField)->setFocus();

    QTRY_COMPARE(run.session.Document().Length(), 4096.0);
    QVERIFY(run.workspace.ui.messages.empty()); // the segment field was not touched
}

void MainFrameTest::SegmentFieldSwitchesSegmentAndRefusesZero() {
    RunningFrame run;
    QLineEdit* segment = run.Field(ControlId::kSecondField);

    TypeAndEnter(segment, "4");
    QCOMPARE(run.session.State().activeSegment, 4);
    QCOMPARE(QString::fromStdString(run.workspace.Context("Settings", "ActiveSeg")).trimmed(),
             QString("4 1"));
    QVERIFY(run.session.Document().CurrentPath().find("TemS4.wa0") != std::string::npos);

    TypeAndEnter(segment, "0");
    QCOMPARE(run.workspace.ui.MessageIds(), std::vector<int>{MsgValueOutOfRange});
    QCOMPARE(run.session.State().activeSegment, 4);
    QCOMPARE(segment->text(), QString("4"));
}

void MainFrameTest::FmSecondFieldSetsDeviationAndTellsTheHost() {
    RunningFrame run("wavesmith FMS");
    QLineEdit* deviation = run.Field(ControlId::kSecondField);
    run.workspace.bus.posted.clear();

    TypeAndEnter(deviation, "5e6");

    QCOMPARE(run.session.Document().Fm().deviation, 5e6);
    QCOMPARE(deviation->text(), QString("5e6"));
    QCOMPARE(run.workspace.bus.posted, std::vector<int>{NotifyCommand});
    QCOMPARE(LinkKeyValue(run.session.State(), "Cmd").value_or(""), std::string(":FM:DEV 5e6"));
    QCOMPARE(run.session.Document().Length(), 1024.0); // the length field was not touched
}

// With samples in Hz the window, and so the deviation shown, comes from the samples: at
// start from the working file, then from each opened file and each new waveform.
void MainFrameTest::WideFmDeviationFieldShowsWhatTheSamplesSpan() {
    RunningFrame run(
        "wavesmith FMS",
        [](TempWorkspace& workspace) {
            workspace.WriteFile("$tst/FmDef.wfm", HzSamples({9e6, 9.6e6, 9.3e6}));
        },
        "G4270");
    QLineEdit* deviation = run.Field(ControlId::kSecondField);
    QCOMPARE(deviation->text(), QString("300000"));

    const std::string opened = run.workspace.WriteFile("opened.wfm", HzSamples({9e6, 10e6}));
    run.workspace.ui.fileAnswers.push_back(FileChoice{opened, 0});
    run.frame->OnCommand(CommandId::kOpen);
    QCOMPARE(run.session.Document().Length(), 2.0);
    QCOMPARE(deviation->text(), QString("500000"));

    // A new waveform is flat at the carrier the opened file left (9.5 MHz): 10 % of it.
    run.frame->OnCommand(CommandId::kNew);
    QCOMPARE(deviation->text(), QString("950000"));
    QCOMPARE(run.workspace.Context("Settings", "FmDev0"), std::string("950000"));
}

void MainFrameTest::StoredHiddenParameterBarStartsHiddenAndUnchecked() {
    RunningFrame run("wavesmith", [](TempWorkspace& workspace) {
        workspace.store.WriteHostValue("visParm", "0", "ViewsSM");
    });
    QToolBar* bar = run.frame->BandBar(ToolBands::ParameterBand);
    QAction* toggle = run.Action(CommandId::kParameterBar);
    run.frame->UpdateCommandStates();
    QVERIFY(!bar->isVisible());
    QVERIFY(!toggle->isChecked());
    QVERIFY(run.frame->BandBar(ToolBands::FileBand)->isVisible());
    QVERIFY(run.Action(CommandId::kFileBar)->isChecked());

    toggle->trigger();
    QVERIFY(bar->isVisible());
    QVERIFY(toggle->isChecked());

    run.frame.reset();
    QCOMPARE(QString::fromStdString(run.HostValue("ViewsSM", "visParm")), QString("1"));
}

void MainFrameTest::BarPopupListsBandCaptionsInOrder() {
    {
        RunningFrame standard;
        std::unique_ptr<QMenu> menu(standard.frame->createPopupMenu());
        QCOMPARE(ItemTexts(menu.get()),
                 QStringList({"File Operation Bar", "Wave Edit Bar", "Wave Parameter Bar",
                              "Instrument Control Bar"}));
    }
    RunningFrame fm("wavesmith FMS");
    std::unique_ptr<QMenu> menu(fm.frame->createPopupMenu());
    QCOMPARE(ItemTexts(menu.get()).size(), 5);
    QCOMPARE(ItemTexts(menu.get()).last(), QString("Marker Bar"));
}

void MainFrameTest::StoredRectRestoresPlacementAndIsWrittenBack() {
    RunningFrame run("wavesmith",
                     [](TempWorkspace&) { WriteProfile("Rect", "0100 0050 0800 0600"); });
    QCOMPARE(run.frame->pos(), QPoint(100, 50));
    QCOMPARE(run.frame->size(), QSize(700, 550));

    run.frame->move(120, 70);
    run.frame->resize(640, 480);
    run.frame.reset();

    QCOMPARE(QString::fromStdString(ReadProfile("Rect")), QString("0120 0070 0760 0550"));
    QCOMPARE(QString::fromStdString(ReadProfile("max")), QString("0"));
    QCOMPARE(QString::fromStdString(ReadProfile("icon")), QString("0"));
}

void MainFrameTest::FmEditorWithoutStoredRectOpensBesideTheStandardOne() {
    RunningFrame run("wavesmith FMS", [](TempWorkspace&) {
        WriteProfile("Rect", "0100 0050 0800 0600");
        WriteProfile("FmRect", "0100 0050"); // too short to hold a rectangle
    });
    QCOMPARE(run.frame->pos(), QPoint(200, 50));
    QCOMPARE(run.frame->size(), QSize(700, 550));
}

void MainFrameTest::AboutBoxShowsVersionAndBuild() {
    RunningFrame run;
    QString title;
    QStringList texts;
    QTimer::singleShot(0, [&title, &texts] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box != nullptr);
        title = box->windowTitle();
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            }
        }
        auto* buttons = box->findChild<QDialogButtonBox*>();
        QVERIFY(buttons != nullptr);
        QCOMPARE(buttons->buttons().size(), 1);
        buttons->buttons().constFirst()->click();
    });

    run.Action(CommandId::kAbout)->trigger();

    QCOMPARE(title, QString("About Wavesmith"));
    QCOMPARE(texts, QStringList({"Wavesmith Version 3.2", "Build 022"}));
}

void MainFrameTest::ChannelItemsFollowInstrumentChannels_data() {
    QTest::addColumn<QString>("channels");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("two channels") << "2" << true;
    QTest::newRow("one channel") << "1" << false;
}

void MainFrameTest::ChannelItemsFollowInstrumentChannels() {
    QFETCH(QString, channels);
    QFETCH(bool, enabled);
    RunningFrame run("wavesmith", [&channels](TempWorkspace& workspace) {
        workspace.SetContext("Instrument", "Channels", channels.toStdString());
    });
    run.frame->UpdateCommandStates();
    QAction* channel1 = run.Action(CommandId::kChannel1);
    QAction* channel2 = run.Action(CommandId::kChannel2);
    QCOMPARE(channel1->isEnabled(), enabled);
    QCOMPARE(channel2->isEnabled(), enabled);
    QCOMPARE(channel1->isChecked(), enabled); // channel 1 is the active one
    QVERIFY(!channel2->isChecked());
    QToolBar* instrument = run.frame->BandBar(ToolBands::InstrumentBand);
    QVERIFY(BarHolds(instrument, run.Action(CommandId::kDownload)));
    QCOMPARE(BarHolds(instrument, channel1), enabled);
}

void MainFrameTest::ChannelCommandSwitchesActiveChannel() {
    RunningFrame run;
    run.Action(CommandId::kChannel2)->trigger();

    QCOMPARE(run.session.State().activeChannel, 1);
    QCOMPARE(QString::fromStdString(run.workspace.Context("Settings", "ActiveCh")), QString("1"));
    QVERIFY(run.Action(CommandId::kChannel2)->isChecked());
    QVERIFY(!run.Action(CommandId::kChannel1)->isChecked());
    QVERIFY(run.session.Document().CurrentPath().find("TemS1.wa1") != std::string::npos);
}

void MainFrameTest::FmInstrumentBarHasOnlyDownloadButton() {
    RunningFrame run("wavesmith FMS");
    QToolBar* instrument = run.frame->BandBar(ToolBands::InstrumentBand);
    QCOMPARE(instrument->actions().size(), 1);
    QVERIFY(BarHolds(instrument, run.Action(CommandId::kDownload)));
}

void MainFrameTest::HostPlaceAndTileMoveTheWindow() {
    RunningFrame run;
    const QSize size = run.frame->size();

    run.workspace.bus.SendRequest(6, (std::int64_t{40} << 16) | 300);
    QCOMPARE(run.frame->pos(), QPoint(300, 40));
    QCOMPARE(run.frame->size(), size);

    run.workspace.store.WriteHostValue("tileRct", "10 20 810 620", "DwnStr");
    run.workspace.bus.SendRequest(7);
    QCOMPARE(run.frame->pos(), QPoint(10, 20));
    QCOMPARE(run.frame->size(), QSize(800, 600));
}

void MainFrameTest::HostPlaceOfTheOtherEditorIsIgnored() {
    RunningFrame run("wavesmith FMS");
    const QPoint start = run.frame->pos();
    run.workspace.bus.SendRequest(6, (std::int64_t{40} << 16) | 300);
    QCOMPARE(run.frame->pos(), start);

    run.workspace.bus.SendRequest(13, (std::int64_t{40} << 16) | 300);
    QCOMPARE(run.frame->pos(), QPoint(300, 40));
}

void MainFrameTest::HostCloseRequestClosesTheWindow() {
    RunningFrame run;
    QVERIFY(run.frame->isVisible());
    run.workspace.bus.SendRequest(10); // the FM editor's close: not for this one
    QVERIFY(run.frame->isVisible());
    run.workspace.bus.SendRequest(3);
    QVERIFY(!run.frame->isVisible());
}

void MainFrameTest::DroppedFileOpensUnderTheOpenDialogRules() {
    RunningFrame run;
    RecordingUserInterface& ui = run.workspace.ui;
    run.frame->SetDroppedFileAnswer([&ui](const std::string& path) {
        ui.fileAnswers.push_back(FileChoice{path, 0});
    });
    const std::string wave = run.workspace.WriteFile("dropped.wav", std::string(2000, '\0'));

    run.frame->OpenDroppedFile(QString::fromStdString(wave));

    QCOMPARE(run.session.Document().Length(), 1000.0);
    QCOMPARE(run.session.Document().VisibleFileName(), wave);

    const std::string notes = run.workspace.WriteFile("notes.text", "1 2 3");
    run.frame->OpenDroppedFile(QString::fromStdString(notes));
    QCOMPARE(run.workspace.ui.MessageIds(), std::vector<int>{MsgIllegalExtension});
    QCOMPARE(run.session.Document().Length(), 1000.0);
}

void MainFrameTest::FileDroppedOnTheWindowIsOpenedAfterTheDrop() {
    RunningFrame run;
    RecordingUserInterface& ui = run.workspace.ui;
    run.frame->SetDroppedFileAnswer([&ui](const std::string& path) {
        ui.fileAnswers.push_back(FileChoice{path, 0});
    });
    const std::string wave = run.workspace.WriteFile("dropped.wav", std::string(4000, '\0'));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(wave))});
    const QPointF where(200, 200);

    QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(run.frame.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(where, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(run.frame.get(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(run.session.Document().Length(), 1024.0); // opened once the drop is over

    QTRY_COMPARE(run.session.Document().Length(), 2000.0);
    QCOMPARE(run.Field(ControlId::kLengthField)->text(), QString("2000"));
}

void MainFrameTest::UndoShortcutReachesTheWaveformFromAnUntouchedField() {
    RunningFrame run;
    QCOMPARE(QApplication::focusWidget(), run.frame->View());
    QLineEdit* length = run.Field(ControlId::kLengthField);
    length->setFocus();
    TypeAndEnter(length, "2000");
    QCOMPARE(run.session.Document().Length(), 2000.0);
    QCOMPARE(QApplication::focusWidget(), length);

    // Typed but not confirmed: the key takes the typing back, the waveform stays.
    QTest::keyClicks(length, "4");
    QTest::keyClick(length, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(length->text(), QString("2000"));
    QCOMPARE(run.session.Document().Length(), 2000.0);

    QTest::keyClick(length, Qt::Key_Return); // the same length again: nothing to apply
    QVERIFY(!length->isModified());
    QTest::keyClick(length, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(run.session.Document().Length(), 1024.0);
    QCOMPARE(length->text(), QString("1024"));
}

// Keys typed after the anchor editor closes must not reach the length field, where they
// would resize the waveform.
void MainFrameTest::ClosedAnchorEditorGivesTheKeyboardBackToTheView() {
    RunningFrame run;
    WaveView* view = run.frame->View();
    AnchorEditor* editor = view->Editor();
    const auto openEditor = [&] {
        const int x = view->Geometry().XToPixel(view->LeftAnchor());
        QTest::mouseClick(view, Qt::RightButton, {},
                          QPoint(x + 3, view->Handle(0)->geometry().center().y()));
        QVERIFY(editor->isVisible());
        QCOMPARE(QApplication::focusWidget(), editor);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> closings = {
        {"Enter", [&] { TypeAndEnter(editor, "250"); }},
        {"Escape", [&] { QTest::keyClick(editor, Qt::Key_Escape); }},
    };
    for (const auto& [name, close] : closings) {
        openEditor();
        close();
        QVERIFY2(!editor->isVisible(), name);
        QVERIFY2(QApplication::focusWidget() == view, name);
    }
    QCOMPARE(view->LeftAnchor(), 250.0);
    QTest::keyClicks(QApplication::focusWidget(), "4");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(run.session.Document().Length(), 1024.0);
    QCOMPARE(run.Field(ControlId::kLengthField)->text(), QString("1024"));
}

void MainFrameTest::PulseDesignerDisablesWhatNeedsTheRenderedDesign() {
    RunningFrame run("wavesmith PLS");
    const std::string segments = run.workspace.Context("SegmTbl", "Segm1-0");
    run.frame->UpdateCommandStates();
    for (int id : {CommandId::kOpen, CommandId::kSave, CommandId::kSaveAs, CommandId::kPrint,
                   CommandId::kDownload, CommandId::kPulseEditor}) {
        QVERIFY2(!run.Action(id)->isEnabled(), qPrintable(run.Action(id)->text()));
    }
    for (int id : {CommandId::kNew, CommandId::kExit, CommandId::kAbout, CommandId::kChannel1,
                   CommandId::kChannel2}) {
        QVERIFY2(run.Action(id)->isEnabled(), qPrintable(run.Action(id)->text()));
    }
    run.workspace.bus.posted.clear();

    run.frame->OnCommand(CommandId::kSaveAs);
    run.frame->OnCommand(CommandId::kDownload);
    QTest::keyClick(run.frame.get(), Qt::Key_S, Qt::ControlModifier);

    run.frame->SetDroppedFileAnswer([](const std::string&) {});
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(run.workspace.Folder()))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(run.frame.get(), &enter);
    QVERIFY(!enter.isAccepted()); // nothing can be opened here

    QVERIFY(run.workspace.ui.fileQuestions.empty());
    QVERIFY(run.workspace.bus.posted.empty());
    QCOMPARE(run.workspace.Context("SegmTbl", "Segm1-0"), segments);
}

void MainFrameTest::DrawingPromptStaysWhileTheCursorPositionChanges() {
    RunningFrame run;
    auto* status = run.frame->findChild<QLabel*>("statusText");
    auto* position = run.frame->findChild<QLabel*>("positionText");
    QVERIFY(status != nullptr && position != nullptr);
    WaveView* view = run.frame->View();
    const PixelRect& plot = view->Geometry().Plot();
    const QPoint middle((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2);

    run.Action(CommandId::kAutoline)->trigger();
    QTest::mouseMove(view, middle);
    QTest::mouseMove(view, middle + QPoint(10, 10));

    QCOMPARE(status->text(), QString("Draw stright line sections. Press right button to stop."));
    QVERIFY2(QRegularExpression("^Point \\d+   Value -?\\d+$").match(position->text()).hasMatch(),
             qPrintable(position->text()));

    QTest::mouseClick(view, Qt::RightButton, {}, middle);
    QCOMPARE(status->text(), QString("Ready"));
}

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
