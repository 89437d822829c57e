#pragma once

#include "document/DocumentView.h"
#include "synthesis/EditCommands.h"
#include "ui/WaveOverlay.h"
#include "view/ViewGeometry.h"
#include "view/WaveformEnvelope.h"

#include <QFont>
#include <QPoint>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class AnchorDragController;
class AnchorEditor;
class AnchorHandle;
class QPainter;
class QPrinter;
class ToolSession;
class WaveDrawingTool;
class WavePlotRenderer;
class WaveDoc;
class WaveformMap;

// The single view of the document: the waveform in a plot with labelled axes, the two
// anchors that bound every edit (handles, read-outs, shading), the drawing tools, the
// zoom and the floating waveform map.
//
// The frame routes the Edit and View menu commands here by id (EditCommands::k...,
// including Trim Left 32807 and Trim right 32808, which run the document's trim) and
// asks IsCommandEnabled / IsCommandChecked / CommandPrompt for its menus, tool bar and
// status bar. The document's requests for the frame (length and segment field texts,
// main title, close) come out as signals.
//
// Drawing (WavePlotRenderer): the plot (background, grid, labels, waveform, overlays) is rendered
// into a cached image only when the data, the range or the size changed; every paint copies the
// cache and then draws the anchor shading, the Autoline rubber band and markers and the anchor
// guide line in XOR on top, so that dragging never re-reads the samples.
class WaveView : public QWidget, public DocumentView {
    Q_OBJECT
public:
    // The GUI's view: the session's document, and the host link for the activation
    // notices (the segment is re-read when the application becomes active; code 0 is
    // posted when it becomes inactive).
    WaveView(ToolSession& session, QWidget* parent = nullptr);
    // A view of a document without a host link (tests, previews).
    explicit WaveView(WaveDoc& document, QWidget* parent = nullptr);
    ~WaveView() override;

    // The first update: loads (or creates) the waveform of the active segment, resets
    // the anchors and applies the title. Call once after the frame has connected.
    void InitialUpdate();

    // --- commands -----------------------------------------------------------------
    static bool HandlesCommand(int id) { return EditCommands::IsEditCommand(id); }
    bool IsCommandEnabled(int id) const;
    bool IsCommandChecked(int id) const;
    // The whole prompt ("status text\ntool-tip"), and its two parts.
    static QString CommandPrompt(int id);
    static QString CommandStatusText(int id);
    static QString CommandToolTip(int id);

    // Paints one page of the waveform on a printer (or a PDF writer) already set up.
    void Print(QPrinter* printer);
    // The page itself: the plot laid out on a page of the given size (in the painter's
    // units) at the given resolution in dots per inch.
    void PaintPage(QPainter& painter, const QSizeF& page, qreal resolution);

    // --- state --------------------------------------------------------------------
    WaveDoc& Document() { return document_; }
    EditState CommandState() const;
    DrawMode Mode() const;
    double VisibleMin() const { return xmin_; }
    double VisibleMax() const { return xmax_; }
    // Pulse mode sets the ranges itself (time and volts); the other modes take the
    // vertical range from the document before each render.
    void SetVisibleRange(double xmin, double xmax);
    void SetVerticalRange(double vmin, double vmax);
    // Pulse mode: the horizontal unit caption by the pulse editor's time unit (0 sec,
    // 1 msec, 2 usec).
    void SetTimeUnitIndex(int index);
    // The plot rectangle and the mappings of the last layout (logical pixels).
    const ViewGeometry& Geometry() const;
    WaveformMap* Map() const { return map_; }
    AnchorEditor* Editor() const;
    AnchorHandle* Handle(int index) const;

    // Layers painted into the plot; the view does not own them.
    void AddOverlay(WaveOverlay* overlay, WaveOverlay::Stage stage);
    void RemoveOverlay(WaveOverlay* overlay);
    // Renders the plot again (an overlay's content changed).
    void InvalidatePlot();

    // What the waveform map draws: the whole waveform over a client area, its columns.
    ViewGeometry WholeWaveformGeometry(int width, int height) const;
    std::vector<PlotColumn> Columns(const ViewGeometry& geometry);

    // --- DocumentView -------------------------------------------------------------
    void SetAnchors(double left, double right) override;
    double LeftAnchor() const override { return static_cast<double>(left_); }
    double RightAnchor() const override { return static_cast<double>(right_); }
    void HideWaveformMap() override;
    void ShowLengthText(const std::string& text) override;
    void ShowSegmentText(const std::string& text) override;
    void SetMainTitle(const std::string& title) override;
    void UpdateAllViews() override;
    void RequestClose() override;

public slots:
    // Runs a command by id; false when the id is not the view's or it is disabled.
    bool OnCommand(int id);
    // The anchor editor's result: index 0 left, 1 right.
    void SetAnchorFromEditor(int index, long long position);
    // The map's drag ended on the range first..last.
    void ShowRangeFromMap(double first, double last);

signals:
    // Status bar text: the prompt of a drawing mode (empty when none is active).
    void StatusTextChanged(const QString& text);
    // The point and value under the cursor; empty when the cursor is off the plot.
    void PositionChanged(const QString& text);
    void AnchorsChanged(long long left, long long right);
    // Enabling or check marks of the commands may have changed.
    void CommandStateChanged();
    // The frame's parts of the document's requests.
    void LengthTextRequested(const QString& text);
    void SegmentTextRequested(const QString& text);
    void MainTitleRequested(const QString& title);
    void CloseRequested();
    // A right click with no drawing mode, outside the handles: the frame's context menu.
    void ContextMenuRequested(const QPoint& globalPos);
    // The samples were changed by the view and written (the FM markers follow this).
    void WaveformCommitted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Build();
    void OnApplicationStateChanged(Qt::ApplicationState state);
    bool IsPulse() const;

    // The mouse tools and the renderer reach into the view's anchors, range and plot.
    friend class AnchorDragController;
    friend class WaveDrawingTool;
    friend class WavePlotRenderer;

    // Commands.
    void Unmark();
    void ZoomIn();
    void ZoomOut();
    void RunOperation(int id);
    void RunTrim(int id);
    void AfterViewChange();

    // Mouse.
    void EmitPosition(QPoint point);

    // Layout and painting.
    void Relayout();
    void UpdateGeometry();
    void InvalidateSamples();
    void UpdateStrip(int x0, int x1);
    void UpdateCaption();

    WaveDoc& document_;
    ToolSession* session_ = nullptr;

    std::unique_ptr<ViewGeometry> geometry_;
    std::unique_ptr<WaveformEnvelope> envelope_;
    std::vector<std::pair<WaveOverlay*, WaveOverlay::Stage>> overlays_;
    bool samplesDirty_ = true;

    PixelRect plotRect_;
    QFont labelFont_;
    QFont readoutFont_;
    int handleHeight_ = 12;

    double xmin_ = 0.0;
    double xmax_ = 1.0;
    double vmin_ = 0.0;
    double vmax_ = 1.0;
    bool ownVerticalRange_ = false;
    int timeUnitIndex_ = 0;
    long long left_ = 0;
    long long right_ = 0;

    Qt::ApplicationState applicationState_ = Qt::ApplicationInactive;
    QString caption_;

    bool plotValid_ = false;

    std::unique_ptr<AnchorDragController> anchors_;
    std::unique_ptr<WaveDrawingTool> tool_;
    std::unique_ptr<WavePlotRenderer> renderer_;
    WaveformMap* map_ = nullptr;
};
