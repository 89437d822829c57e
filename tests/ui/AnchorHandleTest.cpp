#include "support/TempWorkspace.h"

#include "document/WaveDoc.h"
#include "ui/AnchorEditor.h"
#include "ui/AnchorHandle.h"
#include "ui/WaveView.h"

#include <QtTest>

namespace {

// A 1024-point waveform in an 800 x 600 view: under one pixel per sample, so that two
// anchors can share a pixel.
struct CloseAnchorsRig {
    CloseAnchorsRig() {
        view.resize(800, 600);
        view.show();
        workspace.OpenActiveSegment(document);
        view.InitialUpdate();
    }

    int Pixel(long long position) const {
        return view.ViewState().Geometry().XToPixel(static_cast<double>(position));
    }
    // Puts the anchors `gap` pixels apart near the middle of the plot.
    bool PlaceAnchorsApart(int gap) {
        for (long long left = 300; left < 400; ++left) {
            for (long long right = left + 1; right < left + 200; ++right) {
                if (Pixel(right) - Pixel(left) == gap) {
                    view.SetAnchorFromEditor(0, left);
                    view.SetAnchorFromEditor(1, right);
                    return true;
                }
            }
        }
        return false;
    }
    long long Anchor(int index) const {
        return static_cast<long long>(index == 0 ? view.LeftAnchor() : view.RightAnchor());
    }
    // The anchor whose editor a right click at the middle of the handle opens.
    long long PickedBy(int index) {
        const QPoint centre = view.Handle(index)->geometry().center();
        QTest::mouseClick(&view, Qt::RightButton, {}, centre);
        const long long picked = view.Editor()->text().toLongLong();
        view.Editor()->Close();
        return picked;
    }

    TempWorkspace workspace;
    WaveDoc document{workspace.services, workspace.Mode()};
    WaveView view{document};
};

} // namespace

class AnchorHandleTest : public QObject {
    Q_OBJECT

private slots:
    void CloseAnchorsKeepBothHandlesWholeAndPickable_data();
    void CloseAnchorsKeepBothHandlesWholeAndPickable();
};

void AnchorHandleTest::CloseAnchorsKeepBothHandlesWholeAndPickable_data() {
    QTest::addColumn<int>("gap");
    // Same pixel, adjacent, overlapping in various depths, just apart, far apart.
    for (int gap : {0, 1, 5, 10, 19, 20, 21, 60}) {
        QTest::addRow("%d px", gap) << gap;
    }
}

void AnchorHandleTest::CloseAnchorsKeepBothHandlesWholeAndPickable() {
    QFETCH(int, gap);
    CloseAnchorsRig rig;
    QVERIFY(rig.PlaceAnchorsApart(gap));
    const QRect handles[2] = {rig.view.Handle(0)->geometry(), rig.view.Handle(1)->geometry()};
    QVERIFY(rig.view.Handle(0)->isVisible() && rig.view.Handle(1)->isVisible());
    // At most the shared anchor line's column is covered twice.
    QVERIFY(handles[0].intersected(handles[1]).width() <= 1);
    for (int index = 0; index < 2; ++index) {
        const int pixel = rig.Pixel(rig.Anchor(index));
        const AnchorHandle* handle = rig.view.Handle(index);
        // The handle's line is drawn on the anchor's column.
        const int lineX = handle->LineSide() == AnchorHandle::Side::Left ? handles[index].left()
                                                                         : handles[index].right();
        QCOMPARE(lineX, pixel);
        QCOMPARE(rig.PickedBy(index), rig.Anchor(index));
    }
}

QTEST_MAIN(AnchorHandleTest)
#include "AnchorHandleTest.moc"
