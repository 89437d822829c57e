#include "ui/CentralView.h"

#include "ui/FrameMode.h"
#include "ui/PulseDesignView.h"
#include "ui/WaveView.h"

QWidget* CentralView::Widget() const {
    if (pulse != nullptr) {
        return pulse;
    }
    return wave;
}

FrameView* CentralView::Frame() const {
    if (pulse != nullptr) {
        return pulse;
    }
    return wave;
}

CentralView CentralViewFor(const FrameMode& mode, ToolSession& session, QWidget* parent) {
    CentralView view;
    if (mode.ShowsPulseDesign()) {
        view.pulse = new PulseDesignView(session, parent);
    } else {
        view.wave = new WaveView(session, parent);
    }
    return view;
}
