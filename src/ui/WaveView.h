#pragma once

#include "document/DocumentView.h"
#include "synthesis/EditCommands.h"
#include "ui/FrameView.h"
#include "ui/ViewSurface.h"
#include "view/WaveViewState.h"

#include <QPoint>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class AnchorDragController;
class AnchorEditor;
class AnchorHandle;
class QPainter;
class ToolSession;
class WaveDrawingTool;
class WaveViewCommands;
class WavePlotRenderer;
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
// What is shown (range, anchors, layout) is a WaveViewState; the anchor drag and the
// drawing tools reach the view only through ViewSurface, the map only through the state
// and its signals, and the drawing is WavePlotRenderer's.
class WaveView : public QWidget, public DocumentView, public FrameView, private ViewSurface {
    Q_OBJECT
public:
    // The GUI's view: the session's document, and the host link for the activation
    // notices (the segment is re-read when the application becomes active; code 0 is
    // posted when it becomes inactive).
    WaveView(ToolSession& session, QWidget* parent = nullptr);
    // A view of a document without a host link (tests, previews).
    explicit WaveView(WaveDoc& document, QWidget* parent = nullptr);
    ~WaveView() override;

    // The first update: the session's segment commands open the active segment (a view
    // without a session shows the document as it is); resets the anchors and applies the
    // title.
    void InitialUpdate() override;

    // --- commands -----------------------------------------------------------------
    static bool HandlesCommand(int id) { return EditCommands::IsEditCommand(id); }
    bool IsCommandEnabled(int id) const override;
    bool IsCommandChecked(int id) const override;
    // The waveform is loaded again by the next activation; nothing to follow here.
    void FollowHostReload() override {}
    // The whole prompt ("status text\ntool-tip").
    static QString CommandPrompt(int id) { return QString::fromUtf8(EditCommands::Prompt(id)); }

    // One page: the plot laid out on a page of the given size (in the painter's
    // units) at the given resolution in dots per inch.
    void PaintPage(QPainter& painter, const QSizeF& page, qreal resolution);

    // --- state --------------------------------------------------------------------
    DrawMode Mode() const override;
    // What the view shows: the visible range, the anchors, the plot rectangle and
    // the mappings of the last layout (logical pixels).
    const WaveViewState& ViewState() const { return state_; }
    WaveformMap* Map() const { return map_; }
    AnchorEditor* Editor() const;
    AnchorHandle* Handle(int index) const;
    // The min/max columns of the waveform for a geometry.
    std::vector<PlotColumn> Columns(const ViewGeometry& geometry) {
        return state_.Columns(geometry);
    }

    // --- DocumentView -------------------------------------------------------------
    void SetAnchors(double left, double right) override;
    double LeftAnchor() const override { return static_cast<double>(state_.Left()); }
    double RightAnchor() const override { return static_cast<double>(state_.Right()); }
    void HideWaveformMap() override;
    void ShowLengthText(const std::string& text) override {
        emit LengthTextRequested(QString::fromStdString(text));
    }
    void ShowSegmentText(const std::string& text) override {
        emit SegmentTextRequested(QString::fromStdString(text));
    }
    void SetMainTitle(const std::string& title) override;
    void UpdateAllViews() override;
    void RequestClose() override { emit CloseRequested(); }

public slots:
    bool OnCommand(int id) override;
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
    void BuildMap();
    void OnApplicationStateChanged(Qt::ApplicationState state);

    // ViewSurface: what the anchor drag and the drawing tools may ask.
    WaveViewState& State() override { return state_; }
    const WaveViewState& State() const override { return state_; }
    QWidget& Widget() override { return *this; }
    void RepaintStrip(int x0, int x1) override { update(QRect(x0 - 2, 0, x1 - x0 + 5, height())); }
    void ViewChanged() override;
    void AnchorsMoved() override { emit AnchorsChanged(state_.Left(), state_.Right()); }
    void CommandStateMayHaveChanged() override { emit CommandStateChanged(); }
    void ShowStatusText(const QString& text) override { emit StatusTextChanged(text); }
    void SamplesDrawn() override;
    void DrawingCommitted() override { emit WaveformCommitted(); }
    void Zoomed(bool in) override;

    void EmitPosition(QPoint point);
    void UpdateCaption();

    WaveViewState state_;
    ToolSession* session_ = nullptr;
    Qt::ApplicationState applicationState_ = Qt::ApplicationInactive;
    QString caption_;

    std::unique_ptr<AnchorDragController> anchors_;
    std::unique_ptr<WaveDrawingTool> tool_;
    std::unique_ptr<WavePlotRenderer> renderer_;
    std::unique_ptr<WaveViewCommands> commands_;
    WaveformMap* map_ = nullptr;
};
