#include "view/WaveViewState.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/WaveDoc.h"

#include <algorithm>

WaveViewState::WaveViewState(WaveDoc& document)
    : document_(document), mode_(ViewMode::For(document.State())) {
    if (mode_.encoding == CodeEncoding::Standard) {
        const AppState& state = document_.State();
        const double span = state.verticalSpan != 0 ? state.verticalSpan
                                                    : document_.Limits().VerticalHigh() -
                                                          document_.Limits().VerticalLow();
        geometry_.SetEncoding(CodeEncoding::Standard, span);
    } else {
        geometry_.SetEncoding(mode_.encoding);
    }
    xmax_ = LastIndex();
    right_ = static_cast<long long>(xmax_);
}

double WaveViewState::LastIndex() const {
    return std::max(document_.Length() - 1.0, 1.0);
}

void WaveViewState::SetAnchor(int index, long long position) {
    (index == 0 ? left_ : right_) = position;
}

bool WaveViewState::AnchorVisible(int index) const {
    const double position = static_cast<double>(Anchor(index));
    return position >= xmin_ && position <= xmax_;
}

void WaveViewState::Unmark() {
    left_ = static_cast<long long>(xmin_);
    right_ = static_cast<long long>(xmax_);
}

void WaveViewState::ZoomIn() {
    xmin_ = static_cast<double>(left_);
    xmax_ = static_cast<double>(right_);
    InvalidatePlot();
}

void WaveViewState::ZoomOut() {
    xmin_ = 0.0;
    xmax_ = LastIndex();
    InvalidatePlot();
}

void WaveViewState::ShowRange(double first, double last) {
    xmin_ = first;
    xmax_ = last;
    left_ = static_cast<long long>(first);
    right_ = static_cast<long long>(last);
    InvalidatePlot();
}

bool WaveViewState::PlaceAnchors(double left, double right) {
    const double last = LastIndex();
    // A load or a length change: show the whole waveform again when the anchors or
    // the visible range no longer fit it.
    const bool reset = left < xmin_ || right > xmax_ || xmax_ > last;
    if (reset) {
        xmin_ = 0.0;
        xmax_ = last;
        InvalidatePlot();
    }
    // An empty document puts its anchors at -1: they read 0 until it holds samples.
    left_ = std::max(static_cast<long long>(left), 0LL);
    right_ = std::max(static_cast<long long>(right), 0LL);
    return reset;
}

void WaveViewState::FitToDocument() {
    const double last = LastIndex();
    if (xmax_ > last || xmin_ >= xmax_) {
        xmin_ = 0.0;
        xmax_ = last;
    }
    right_ = std::max(std::min(right_, static_cast<long long>(last)), 0LL);
    left_ = std::max(std::min(left_, right_ - 1), 0LL);
    SamplesChanged();
}

void WaveViewState::SetLayout(const PixelRect& plot, int handleHeight) {
    plot_ = plot;
    handleHeight_ = handleHeight;
    InvalidatePlot();
    UpdateGeometry();
}

void WaveViewState::UpdateGeometry() {
    const bool fm = document_.IsFmDocument();
    const double vmin = fm ? document_.Fm().Fmin() : document_.Limits().VerticalLow();
    const double vmax = fm ? document_.Fm().Fmax() : document_.Limits().VerticalHigh();
    geometry_.SetRanges(xmin_, xmax_, vmin, vmax);
    geometry_.ComputeMappings(plot_);
}

ViewGeometry WaveViewState::WholeWaveformGeometry(int width, int height) const {
    ViewGeometry map = geometry_;
    map.SetRanges(0.0, LastIndex(), geometry_.Vmin(), geometry_.Vmax());
    map.ComputeMappings({0, 0, width, height});
    return map;
}

std::vector<PlotColumn> WaveViewState::Columns(const ViewGeometry& geometry) {
    const SampleBuffer& samples = document_.Samples();
    if (samplesDirty_ || !envelope_.Matches(samples)) {
        envelope_.Rebuild(samples);
        samplesDirty_ = false;
    }
    return envelope_.Columns(samples, geometry);
}

void WaveViewState::SamplesChanged() {
    samplesDirty_ = true;
    InvalidatePlot();
}

void WaveViewState::SamplesChangedBetween(long long first, long long last) {
    const SampleBuffer& samples = document_.Samples();
    if (!samplesDirty_ && envelope_.Matches(samples)) {
        const long long end = static_cast<long long>(samples.Size()) - 1;
        envelope_.Update(samples, static_cast<std::size_t>(std::clamp(first, 0LL, end)),
                         static_cast<std::size_t>(std::clamp(last, 0LL, end)));
    } else {
        samplesDirty_ = true;
    }
    InvalidatePlot();
}
