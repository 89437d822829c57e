#pragma once

#include "view/ViewGeometry.h"
#include "view/ViewMode.h"
#include "view/WaveformEnvelope.h"

#include <vector>

class WaveDoc;

// What a waveform view shows, apart from how it is drawn: the visible range, the two
// anchors that bound every edit, the plot rectangle and the mappings of the last layout,
// and the envelope of the samples. After a load or any change of the document the range
// and the anchors are fitted to its length again (PlaceAnchors, FitToDocument); the view
// and its tools read and change the state only through these operations.
class WaveViewState {
public:
    explicit WaveViewState(WaveDoc& document);

    WaveDoc& Document() { return document_; }
    const WaveDoc& Document() const { return document_; }
    // What the mode makes the view show differently.
    const ViewMode& Mode() const { return mode_; }

    double VisibleMin() const { return xmin_; }
    double VisibleMax() const { return xmax_; }
    long long Left() const { return left_; }
    long long Right() const { return right_; }
    // Index 0 the left anchor, 1 the right one.
    long long Anchor(int index) const { return index == 0 ? left_ : right_; }
    void SetAnchor(int index, long long position);
    bool AnchorVisible(int index) const;

    // The anchors take the whole visible range.
    void Unmark();
    // The marked range becomes the visible range.
    void ZoomIn();
    // The whole waveform is shown again; the anchors stay where they were.
    void ZoomOut();
    // The map's choice: the range is shown and marked.
    void ShowRange(double first, double last);
    // The document's anchors after a load or a length change. True when the visible
    // range had to be reset to the whole waveform.
    bool PlaceAnchors(double left, double right);
    // After any change of the document: the range and the anchors fit its length again.
    void FitToDocument();

    // The plot rectangle of the last layout and the room of the handles above it.
    const PixelRect& Plot() const { return plot_; }
    int HandleHeight() const { return handleHeight_; }
    void SetLayout(const PixelRect& plot, int handleHeight);
    // The mappings for the current range (the vertical range is the document's).
    const ViewGeometry& Geometry() const { return geometry_; }
    void UpdateGeometry();
    // The same mappings over the whole waveform in a client area of the given size.
    ViewGeometry WholeWaveformGeometry(int width, int height) const;

    // The min/max columns of the samples for a geometry, from the cached envelope.
    std::vector<PlotColumn> Columns(const ViewGeometry& geometry);
    // The samples changed anywhere, or only between two indices (a drawn segment).
    void SamplesChanged();
    void SamplesChangedBetween(long long first, long long last);

    // Whether the cached picture of the plot is still that of the current state.
    bool PlotValid() const { return plotValid_; }
    void InvalidatePlot() { plotValid_ = false; }
    void MarkPlotValid() { plotValid_ = true; }

private:
    double LastIndex() const;

    WaveDoc& document_;
    ViewMode mode_;
    ViewGeometry geometry_;
    WaveformEnvelope envelope_;
    bool samplesDirty_ = true;
    bool plotValid_ = false;
    PixelRect plot_;
    int handleHeight_ = 12;
    double xmin_ = 0.0;
    double xmax_ = 1.0;
    long long left_ = 0;
    long long right_ = 0;
};
