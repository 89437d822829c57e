#pragma once

class QPainter;
class ViewGeometry;

// Something the view paints into its plot besides the waveform: the FM marker crossings
// (after the waveform) or the pulse design (in place of it). The view calls the layer
// whenever it renders the plot, on screen and on paper alike; the layer maps its values
// with the geometry it is given and must not keep it.
class WaveOverlay {
public:
    enum class Stage {
        InsteadOfWaveform, // the pulse design: the view draws no samples when one is set
        AfterWaveform,     // the FM marker crossings
    };

    virtual ~WaveOverlay() = default;
    virtual void Paint(QPainter& painter, const ViewGeometry& geometry, bool printing) = 0;
};
