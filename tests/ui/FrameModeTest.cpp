#include "ui/FrameMode.h"
#include "core/AppState.h"

#include <QTest>

#include <memory>

// The mode type each start-up state chooses, seen through what the window takes from it
// and no other test reads: the status bar's context and the names its placement is kept
// under.
class FrameModeTest : public QObject {
    Q_OBJECT

private slots:
    void ChosenModeNamesContextAndPlacement_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("wideFm");
        QTest::addColumn<QStringList>("context");
        QTest::addColumn<QString>("rectName");
        QTest::addColumn<QString>("barsName");
        QTest::addColumn<bool>("followsSamples");
        const int standard = static_cast<int>(OperatingMode::Standard);
        const int fm = static_cast<int>(OperatingMode::Fm);
        const int pulse = static_cast<int>(OperatingMode::Pulse);
        QTest::newRow("standard") << standard << false
                                  << QStringList{"QW2182", "Channel 2", "Segment 3"} << "Rect"
                                  << "Bars" << false;
        QTest::newRow("FM") << fm << false << QStringList{"QW2182", "FM waveform"} << "FmRect"
                            << "FmBars" << false;
        QTest::newRow("wide FM") << fm << true << QStringList{"QW2182", "FM waveform"} << "FmRect"
                                 << "FmBars" << true;
        QTest::newRow("pulse") << pulse << false << QStringList{"QW2182", "Channel 2"} << "Rect"
                               << "PulseBars" << false;
    }

    void ChosenModeNamesContextAndPlacement() {
        QFETCH(int, mode);
        QFETCH(bool, wideFm);
        QFETCH(QStringList, context);
        QFETCH(QString, rectName);
        QFETCH(QString, barsName);
        QFETCH(bool, followsSamples);
        AppState state;
        state.mode = static_cast<OperatingMode>(mode);
        state.wideFmSamples = wideFm;
        state.familyName = "QW2182";
        state.activeChannel = 1;
        state.activeSegment = 3;
        const std::unique_ptr<FrameMode> chosen = FrameMode::For(state);
        QCOMPARE(chosen->Mode(), state.mode);
        QCOMPARE(chosen->ContextParts(state), context);
        QCOMPARE(QString::fromLatin1(chosen->Placement().rectName), rectName);
        QCOMPARE(QString::fromLatin1(chosen->Placement().barsName), barsName);
        QCOMPARE(chosen->ShowsSampleDeviation(), followsSamples);
    }
};

QTEST_APPLESS_MAIN(FrameModeTest)
#include "FrameModeTest.moc"
