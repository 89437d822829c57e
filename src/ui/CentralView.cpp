#include "ui/CentralView.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "ui/PulseDesignView.h"
#include "ui/WaveView.h"

QWidget* CentralView::Widget() const {
    if (pulse != nullptr) {
        return pulse;
    }
    return wave;
}

CentralView CentralViewFor(ToolSession& session, QWidget* parent) {
    CentralView view;
    if (session.State().IsPulse()) {
        view.pulse = new PulseDesignView(session, parent);
    } else {
        view.wave = new WaveView(session, parent);
    }
    return view;
}
