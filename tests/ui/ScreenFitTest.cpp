#include "ui/ScreenFit.h"

#include <QTest>

// Where a remembered window rectangle opens on screens of several sizes.
class ScreenFitTest : public QObject {
    Q_OBJECT
private slots:
    void Fitted_data() {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("expected");
        const QRect fullHd(0, 0, 1920, 1080);
        const QRect small(0, 0, 800, 600);
        const QMargins frame(4, 30, 4, 4);
        QTest::newRow("fits: unchanged")
            << QRect(100, 50, 700, 550) << fullHd << QSize() << frame << QRect(100, 50, 700, 550);
        QTest::newRow("runs off the bottom: moved up")
            << QRect(100, 50, 700, 550) << small << QSize() << frame << QRect(92, 16, 700, 550);
        QTest::newRow("without a frame it may fill the screen")
            << QRect(100, 50, 700, 550) << small << QSize() << QMargins()
            << QRect(100, 50, 700, 550);
        QTest::newRow("larger than the screen: shrunk to it")
            << QRect(-200, -50, 1400, 1100) << small << QSize() << frame << QRect(0, 0, 792, 566);
        QTest::newRow("never below the minimum size")
            << QRect(0, 0, 900, 700) << small << QSize(850, 300) << frame << QRect(0, 0, 850, 566);
        QTest::newRow("a second screen to the right")
            << QRect(2500, 100, 700, 550) << QRect(1920, 0, 1280, 1024) << QSize() << frame
            << QRect(2492, 100, 700, 550);
    }

    void Fitted() {
        QFETCH(QRect, wanted);
        QFETCH(QRect, available);
        QFETCH(QSize, minimum);
        QFETCH(QMargins, frame);
        QFETCH(QRect, expected);
        QCOMPARE(ScreenFit::Fitted(wanted, available, minimum, frame), expected);
    }
};

QTEST_APPLESS_MAIN(ScreenFitTest)
#include "ScreenFitTest.moc"
