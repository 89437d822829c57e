#include "ui/MainFrame.h"
#include "core/HostBus.h"
#include "settings/RegistryKey.h"
#include "synthesis/WaveformKinds.h"
#include "ui/CommandIds.h"
#include "ui/FramePlacement.h"
#include "ui/ToolBands.h"
#include "ui/support/RunningFrame.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSet>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <QWidgetAction>

#include <filesystem>
#include <memory>

// Menus, bars, placement and host requests of the main window in each mode.

namespace {

// A menu or a band as one line: its title, then its items without mnemonics, "-" for a
// separator and "*" for a widget.
QString Line(const QString& title, const QList<QAction*>& actions) {
    QStringList items;
    for (QAction* action : actions) {
        if (action->isSeparator()) {
            items << "-";
        } else if (qobject_cast<QWidgetAction*>(action) != nullptr) {
            items << "*";
        } else {
            items << action->text().remove('&');
        }
    }
    return QString(title).remove('&') + ": " + items.join('|');
}

QMenu* MenuNamed(const MainFrame& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

QStringList MenuLines(const MainFrame& frame) {
    QStringList lines;
    for (QAction* title : frame.menuBar()->actions()) {
        lines << (title->menu() != nullptr ? Line(title->text(), title->menu()->actions())
                                           : title->text().remove('&'));
    }
    return lines;
}

QStringList BandLines(const MainFrame& frame) {
    QStringList lines;
    for (int band = 0; band < ToolBands::kBandCount; ++band) {
        if (const QToolBar* bar = frame.BandBar(band)) {
            lines << Line(bar->windowTitle(), bar->actions());
        }
    }
    return lines;
}

// The texts among `actions` whose mnemonic (the letter after "&") an earlier one has.
QStringList MnemonicClashes(const QList<QAction*>& actions) {
    QStringList clashes;
    QSet<QChar> seen;
    for (const QAction* action : actions) {
        const QString text = action->text();
        const qsizetype amp = text.indexOf('&');
        if (amp < 0 || amp + 1 == text.size()) {
            continue;
        }
        const QChar letter = text[amp + 1].toLower();
        if (seen.contains(letter)) {
            clashes << text;
        }
        seen.insert(letter);
    }
    return clashes;
}

// Every shortcut of the window as "item=keys", once each, in order.
QStringList Shortcuts(const MainFrame& frame) {
    QStringList shortcuts;
    for (const QAction* action : frame.findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty()) {
            shortcuts << QString(action->text()).remove('&') + "=" + action->shortcut().toString();
        }
    }
    shortcuts.removeDuplicates();
    shortcuts.sort();
    return shortcuts;
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
    // Started by hand, with no context file at all: a message and no window (the start in
    // each mode is the table below).
    void MissingContextFileEndsWithMessageAndNoWindow() {
        TempWorkspace workspace;
        const std::string handStarted = workspace.Folder() + "elsewhere";
        std::filesystem::create_directories(handStarted);
        WorkspaceFacts facts(handStarted, "/opt/wavesmith/wavesmith");
        ToolSession session(facts, workspace.ui, workspace.bus);

        const std::unique_ptr<MainFrame> frame = MainFrame::Launch(session);

        QVERIFY(frame == nullptr);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(!widget->isVisible());
        }
        QCOMPARE(workspace.ui.messages.size(), std::size_t{1});
    }

    void EachModeHasItsTitleMenusBandsShortcutsAndUniqueMnemonics_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("menus");
        QTest::addColumn<QStringList>("bands");
        QTest::addColumn<QStringList>("shortcuts");
        // "*" stands for the folder of the active segment's file.
        QTest::addColumn<QString>("title");
        const QString fileMenu = "File: New Waveform|Open Waveform...|Save Waveform|"
                                 "Save Waveform As...|-|Print|-|Exit";
        const QString editMenu =
            "Edit: Autoline|Sketch|Smooth|Filter...|Invert|-|Trim Left|Trim right|Unmark|-|Undo";
        const QString viewMenu = "View: Zoom in|Zoom out|-|File Operation Bar|Wave Edit Bar|"
                                 "Wave Parameter Bar|Instrument Control Bar";
        // The Wave menu's own rows are checked against the table of kinds below.
        QStringList waveItems;
        for (const WaveformKind& kind : WaveformKinds::All()) {
            if (kind.separatorBefore) {
                waveItems << "-";
            }
            waveItems << QString(kind.menuText).remove('&');
        }
        const QString waveMenu = "Wave: " + waveItems.join('|');
        const QString fileBand = "File Operation Bar: New Waveform|Open Waveform...|Save Waveform|"
                                 "Save Waveform As...|Print";
        const QString editBand = "Wave Edit Bar: Autoline|Sketch|Filter...|Smooth|Invert|Unmark|"
                                 "Undo|-|Zoom in|Zoom out|-|Trim Left|Trim right";
        const QString parameterBand = "Wave Parameter Bar: *";
        const QString channels = "Waveform|-|Channel 1|Channel 2";
        QTest::newRow("standard") << "wavesmith" << QStringList{fileMenu,
                                                                editMenu,
                                                                viewMenu + "|-|Channel 1|Channel 2",
                                                                waveMenu,
                                                                "Download: Waveform",
                                                                "About ..."}
                                  << QStringList{fileBand, editBand, parameterBand,
                                                 "Instrument Control Bar: " + channels}
                                  << QStringList{"New Waveform=Ctrl+N", "Open Waveform...=Ctrl+O",
                                                 "Print=Ctrl+P", "Save Waveform=Ctrl+S",
                                                 "Undo=Ctrl+Z"}
                                  << "Wavesmith -> *TemS3.wa0";
        QTest::newRow("FM: markers, channels only in the Download menu")
            << "wavesmith FMS"
            << QStringList{fileMenu, editMenu + "|-|FM Markers...", viewMenu + "|Marker Bar",
                           waveMenu, "Download: " + channels,       "About ..."}
            << QStringList{fileBand, editBand, parameterBand, "Instrument Control Bar: Waveform",
                           "Marker Bar: *|*"}
            << QStringList{} << "FM Wavesmith -> *FmDef.wvf";
        QTest::newRow("pulse: no editing")
            << "wavesmith PLS"
            << QStringList{"File: New|Open...|Save|Save As...|-|Print|-|Exit",
                           "View: Pulse Editor...", "Download: " + channels, "About ..."}
            << QStringList{"File Operation Bar: New|Open...|Save|Save As...|Print", parameterBand,
                           "Instrument Control Bar: " + channels}
            << QStringList{"New=Ctrl+N", "Open...=Ctrl+O", "Print=Ctrl+P", "Save=Ctrl+S"}
            << "Pulsesmith";
    }

    // The bar pop-up lists the bands' captions in the same order. No two titles of the menu
    // bar, and no two items of a menu, share a mnemonic. The title names the file of the active
    // segment (3), except in the pulse designer.
    void EachModeHasItsTitleMenusBandsShortcutsAndUniqueMnemonics() {
        QFETCH(QString, commandLine);
        QFETCH(QStringList, menus);
        QFETCH(QStringList, bands);
        QFETCH(QStringList, shortcuts);
        QFETCH(QString, title);
        RunningFrame run(commandLine.toStdString(), [](TempWorkspace& workspace) {
            workspace.SetContext("Settings", "ActiveSeg", "3 1");
        });
        const QString shown = run.frame->windowTitle();
        QVERIFY2(shown.startsWith(title.section('*', 0, 0)) &&
                     shown.endsWith(title.section('*', -1)),
                 qPrintable(shown));
        QVERIFY(run.workspace.ui.messages.empty());
        QCOMPARE(MenuLines(*run.frame), menus);
        QCOMPARE(BandLines(*run.frame), bands);
        std::unique_ptr<QMenu> popup(run.frame->createPopupMenu());
        QStringList captions;
        for (const QString& band : bands) {
            captions << band.section(':', 0, 0);
        }
        QCOMPARE(Line("Bars", popup->actions()), "Bars: " + captions.join('|'));
        QCOMPARE(Shortcuts(*run.frame), shortcuts);
        const QList<QAction*> titles = run.frame->menuBar()->actions();
        QCOMPARE(MnemonicClashes(titles), QStringList());
        for (const QAction* title : titles) {
            if (title->menu() != nullptr) {
                QCOMPARE(MnemonicClashes(title->menu()->actions()), QStringList());
            }
        }
    }

    // The Wave menu is the table of waveform kinds: ids, texts and status tips, a line where it
    // says.
    void WaveMenuIsTheTableOfKinds() {
        RunningFrame run;
        QStringList wave;
        QStringList shown;
        for (const WaveformKind& kind : WaveformKinds::All()) {
            wave << QString(kind.separatorBefore ? "-" : "") + QString::number(kind.commandId) +
                        kind.menuText + QString(kind.prompt).section('\n', 0, 0);
        }
        for (QAction* action : MenuNamed(*run.frame, "Wave")->actions()) {
            shown << (action->isSeparator() ? QStringLiteral("-")
                                            : QString::number(action->data().toInt()) +
                                                  action->text() + action->statusTip());
        }
        QCOMPARE(shown.join(QString()), wave.join(QString()));
    }

    // What the window keeps between runs: its rectangle, and which bands it shows.
    void StoredPlacementAndHiddenBandAreRestoredAndWrittenBack() {
        RunningFrame run("wavesmith", [](TempWorkspace& workspace) {
            WriteProfile("Rect", "0100 0050 0800 0600");
            workspace.store.WriteHostValue("visParm", "0", "ViewsSM");
        });
        QCOMPARE(run.frame->pos(), QPoint(100, 50));
        QCOMPARE(run.frame->size(), QSize(700, 550));
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
        run.frame->move(120, 70);
        run.frame->resize(640, 480);
        run.frame.reset();

        QCOMPARE(QString::fromStdString(run.workspace.store.ReadHostValue("ViewsSM", "visParm")),
                 QString("1"));
        QCOMPARE(QString::fromStdString(ReadProfile("Rect")), QString("0120 0070 0760 0550"));
        QCOMPARE(QString::fromStdString(ReadProfile("max")), QString("0"));
        QCOMPARE(QString::fromStdString(ReadProfile("icon")), QString("0"));
    }

    void AboutBoxShowsVersionAndBuild() {
        RunningFrame run;
        QString title;
        QStringList texts;
        OnNextDialog([&title, &texts](QWidget* box) {
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

    void ChannelItemsFollowInstrumentChannels_data() {
        QTest::addColumn<QString>("channels");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("two channels") << "2" << true;
        QTest::newRow("one channel") << "1" << false;
    }

    void ChannelItemsFollowInstrumentChannels() {
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
        QVERIFY(instrument->actions().contains(run.Action(CommandId::kDownload)));
        QCOMPARE(instrument->actions().contains(channel1), enabled);
        // What a switch changes is the segment commands' (FileCommandsTest, CliTest); the window
        // moves the check mark.
        if (enabled) {
            channel2->trigger();
            QVERIFY(channel2->isChecked() && !channel1->isChecked());
        }
    }

    // Without a stored rectangle of its own the FM editor opens beside the standard one.
    // Which host request acts in which mode is the decoder's rule
    // (HostRequestDecoding.EachCodeActsInItsModesOnly), and the standard editor's place and close
    // are proven under the real host (GuiUnderHostTest); here the FM editor hands the decoder its
    // own mode.
    void FmEditorOpensBesideTheStandardOneAndTakesOnlyItsOwnHostRequests() {
        RunningFrame run("wavesmith FMS", [](TempWorkspace&) {
            // At the left edge, so that the FM window beside it still fits the test's screen.
            WriteProfile("Rect", "0000 0050 0700 0600");
            WriteProfile("FmRect", "0100 0050"); // too short to hold a rectangle
        });
        const QPoint start = run.frame->pos();
        QCOMPARE(start, QPoint(100, 50));
        QCOMPARE(run.frame->size(), QSize(700, 550));
        const std::int64_t place = (std::int64_t{40} << 16) | 300; // x 300, y 40
        run.workspace.bus.SendRequest(HostPlaceStandard, place);
        run.workspace.bus.SendRequest(HostCloseStandard);
        QCOMPARE(run.frame->pos(), start);
        QVERIFY(run.frame->isVisible());
        run.workspace.bus.SendRequest(HostPlaceFm, place);
        QCOMPARE(run.frame->pos(), QPoint(300, 40));
        run.workspace.bus.SendRequest(HostCloseFm);
        QVERIFY(!run.frame->isVisible());
    }

    void HostTileRestoresAMaximizedWindowToTheStoredRectangle() {
        RunningFrame run;
        run.frame->showMaximized();
        QTRY_VERIFY(run.frame->isMaximized());
        run.workspace.store.WriteHostValue("tileRct", "10 20 810 620", "DwnStr");
        run.workspace.bus.SendRequest(7);
        QTRY_COMPARE(QRect(run.frame->pos(), run.frame->size()), QRect(10, 20, 800, 600));
        QVERIFY(!run.frame->isMaximized());
    }

    void PulseDesignerDisablesWhatNeedsTheRenderedDesign() {
        RunningFrame run("wavesmith PLS");
        const std::string segments = run.workspace.Context("SegmTbl", "Segm1-0");
        run.frame->UpdateCommandStates();
        for (int id :
             {CommandId::kOpen, CommandId::kSave, CommandId::kSaveAs, CommandId::kPulseEditor}) {
            QVERIFY2(!run.Action(id)->isEnabled(), qPrintable(run.Action(id)->text()));
        }
        // Download renders the design first; the new design has no items, so nothing is sent.
        // Print prints the design as the view draws it.
        for (int id : {CommandId::kNew, CommandId::kExit, CommandId::kAbout, CommandId::kChannel1,
                       CommandId::kChannel2, CommandId::kDownload, CommandId::kPrint}) {
            QVERIFY2(run.Action(id)->isEnabled(), qPrintable(run.Action(id)->text()));
        }
        run.workspace.bus.posted.clear();

        run.frame->OnCommand(CommandId::kSaveAs);
        run.frame->OnCommand(CommandId::kDownload);
        QTest::keyClick(run.frame.get(), Qt::Key_S, Qt::ControlModifier);

        run.frame->SetDroppedFileAnswer([](const std::string&) {});
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(run.workspace.Folder()))});
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(run.frame.get(), &enter);
        QVERIFY(!enter.isAccepted()); // nothing can be opened here

        QVERIFY(run.workspace.ui.fileQuestions.empty());
        QVERIFY(run.workspace.bus.posted.empty());
        QCOMPARE(run.workspace.Context("SegmTbl", "Segm1-0"), segments);
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
