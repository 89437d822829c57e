#include "ui/WaveView.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "link/HostLink.h"
#include "settings/AppServices.h"
#include "synthesis/EditOperations.h"
#include "ui/AnchorDragController.h"
#include "ui/PlotPainter.h"
#include "ui/ViewPrinter.h"
#include "ui/WaveDrawingTool.h"
#include "ui/WavePlotRenderer.h"
#include "ui/WaveformMap.h"
#include "view/MapGeometry.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

WaveView::WaveView(ToolSession& session, QWidget* parent) : WaveView(session.Document(), parent) {
    session_ = &session;
    applicationState_ = QGuiApplication::applicationState();
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &WaveView::OnApplicationStateChanged);
}

WaveView::WaveView(WaveDoc& document, QWidget* parent)
    : QWidget(parent), document_(document), geometry_(std::make_unique<ViewGeometry>()),
      envelope_(std::make_unique<WaveformEnvelope>()),
      anchors_(std::make_unique<AnchorDragController>(*this)),
      tool_(std::make_unique<WaveDrawingTool>(*this)),
      renderer_(std::make_unique<WavePlotRenderer>(*this)) {
    Build();
}

WaveView::~WaveView() {
    if (document_.View() == this) {
        document_.SetView(nullptr);
    }
}

bool WaveView::IsPulse() const {
    return document_.Services().state.IsPulse();
}

void WaveView::Build() {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click on the plot takes the focus from the parameter bar's fields, which confirms
    // what was typed there and lets the window's shortcuts reach their commands.
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(200, 120);
    document_.SetView(this);
    const AppState& state = document_.Services().state;
    if (state.IsFm()) {
        geometry_->SetEncoding(state.wideFmSamples ? CodeEncoding::FmHz : CodeEncoding::FmCodes);
    } else {
        const double span = state.verticalSpan != 0
                                ? state.verticalSpan
                                : document_.VerticalHigh() - document_.VerticalLow();
        geometry_->SetEncoding(CodeEncoding::Standard, span);
    }
    xmax_ = std::max(document_.Length() - 1.0, 1.0);
    right_ = static_cast<long long>(xmax_);
    if (IsPulse()) {
        return;
    }
    anchors_->Build();
    map_ = new WaveformMap(*this);
}

void WaveView::InitialUpdate() {
    if (IsPulse()) {
        document_.ApplyTitle();
        update();
        return;
    }
    document_.LoadActiveSegment();
    document_.ApplyTitle();
    SetAnchors(0, document_.Length() - 1);
    UpdateAllViews();
}

// --- commands ----------------------------------------------------------------------

EditState WaveView::CommandState() const {
    EditState state;
    state.left = left_;
    state.right = right_;
    state.xmin = xmin_;
    state.xmax = xmax_;
    state.length = document_.Length();
    state.mode = Mode();
    return state;
}

bool WaveView::IsCommandEnabled(int id) const {
    if (!HandlesCommand(id)) {
        return false;
    }
    if (id == EditCommands::kPrint) {
        return !IsPulse(); // the pulse design is not drawn by this build
    }
    if (IsPulse() || document_.Samples().Size() == 0) {
        return false;
    }
    return EditCommands::IsEnabled(id, CommandState());
}

bool WaveView::IsCommandChecked(int id) const {
    return EditCommands::IsChecked(id, CommandState());
}

QString WaveView::CommandPrompt(int id) {
    return QString::fromUtf8(EditCommands::Prompt(id));
}

QString WaveView::CommandStatusText(int id) {
    return QString::fromStdString(EditCommands::StatusText(id));
}

QString WaveView::CommandToolTip(int id) {
    return QString::fromStdString(EditCommands::ToolTip(id));
}

bool WaveView::OnCommand(int id) {
    if (!IsCommandEnabled(id)) {
        return false;
    }
    switch (id) {
    case EditCommands::kAutoline:
        tool_->Start(DrawMode::Autoline);
        break;
    case EditCommands::kSketch:
        tool_->Start(DrawMode::Sketch);
        break;
    case EditCommands::kFilter:
    case EditCommands::kSmooth:
    case EditCommands::kInvert:
        RunOperation(id);
        break;
    case EditCommands::kUnmark:
        Unmark();
        break;
    case EditCommands::kZoomIn:
        ZoomIn();
        break;
    case EditCommands::kZoomOut:
        ZoomOut();
        break;
    case EditCommands::kTrimLeft:
    case EditCommands::kTrimRight:
        RunTrim(id);
        break;
    case EditCommands::kPrint:
        ViewPrinter(*this).PreviewAndPrint(this);
        break;
    default:
        return false;
    }
    emit CommandStateChanged();
    return true;
}

void WaveView::Unmark() {
    left_ = static_cast<long long>(xmin_);
    right_ = static_cast<long long>(xmax_);
    AfterViewChange();
}

void WaveView::ZoomIn() {
    xmin_ = static_cast<double>(left_);
    xmax_ = static_cast<double>(right_);
    InvalidatePlot();
    AfterViewChange();
    if (map_ != nullptr) {
        map_->ShowBeside(this);
    }
}

// The anchors stay where they were: the marked range remains marked in the full view,
// ready for another Zoom in.
void WaveView::ZoomOut() {
    xmin_ = 0.0;
    xmax_ = std::max(document_.Length() - 1.0, 1.0);
    InvalidatePlot();
    AfterViewChange();
    if (map_ != nullptr) {
        map_->hide();
    }
}

void WaveView::RunOperation(int id) {
    if (EditOperations::Apply(document_, id, left_, right_, xmax_)) {
        InvalidateSamples();
        emit WaveformCommitted();
    }
}

void WaveView::RunTrim(int id) {
    const bool trimmed = id == EditCommands::kTrimLeft ? EditOperations::TrimLeft(document_)
                                                       : EditOperations::TrimRight(document_);
    if (trimmed) {
        InvalidateSamples();
        emit WaveformCommitted();
    }
}

void WaveView::AfterViewChange() {
    UpdateGeometry();
    anchors_->PlaceHandles();
    update();
    if (map_ != nullptr && map_->isVisible()) {
        map_->update();
    }
    emit AnchorsChanged(left_, right_);
    emit CommandStateChanged();
}

// --- state -------------------------------------------------------------------------

void WaveView::SetVisibleRange(double xmin, double xmax) {
    if (xmax == xmin) {
        return;
    }
    xmin_ = xmin;
    xmax_ = xmax;
    InvalidatePlot();
    AfterViewChange();
}

void WaveView::SetVerticalRange(double vmin, double vmax) {
    vmin_ = vmin;
    vmax_ = vmax;
    ownVerticalRange_ = true;
    InvalidatePlot();
}

void WaveView::SetTimeUnitIndex(int index) {
    timeUnitIndex_ = index;
    InvalidatePlot();
}

const ViewGeometry& WaveView::Geometry() const {
    return *geometry_;
}

DrawMode WaveView::Mode() const {
    return tool_->Mode();
}

AnchorEditor* WaveView::Editor() const {
    return anchors_->Editor();
}

AnchorHandle* WaveView::Handle(int index) const {
    return anchors_->Handle(index);
}

void WaveView::AddOverlay(WaveOverlay* overlay, WaveOverlay::Stage stage) {
    overlays_.emplace_back(overlay, stage);
    InvalidatePlot();
}

void WaveView::RemoveOverlay(WaveOverlay* overlay) {
    std::erase_if(overlays_, [overlay](const auto& entry) { return entry.first == overlay; });
    InvalidatePlot();
}

void WaveView::InvalidatePlot() {
    plotValid_ = false;
    update();
}

void WaveView::InvalidateSamples() {
    samplesDirty_ = true;
    InvalidatePlot();
    if (map_ != nullptr) {
        map_->InvalidateWaveform();
    }
}

ViewGeometry WaveView::WholeWaveformGeometry(int width, int height) const {
    ViewGeometry map = *geometry_;
    map.SetRanges(0.0, std::max(document_.Length() - 1.0, 1.0), geometry_->Vmin(),
                  geometry_->Vmax());
    map.ComputeMappings({0, 0, width, height});
    return map;
}

std::vector<PlotColumn> WaveView::Columns(const ViewGeometry& geometry) {
    const SampleBuffer& samples = document_.Samples();
    if (samplesDirty_ || !envelope_->Matches(samples)) {
        envelope_->Rebuild(samples);
        samplesDirty_ = false;
    }
    return envelope_->Columns(samples, geometry);
}

// --- DocumentView ------------------------------------------------------------------

void WaveView::SetAnchors(double left, double right) {
    const double last = std::max(document_.Length() - 1.0, 1.0);
    // A load or a length change: show the whole waveform again when the anchors or
    // the visible range no longer fit it.
    if (left < xmin_ || right > xmax_ || xmax_ > last) {
        xmin_ = 0.0;
        xmax_ = last;
        InvalidatePlot();
    }
    // An empty document puts its anchors at -1: they read 0 until it holds samples.
    left_ = std::max(static_cast<long long>(left), 0LL);
    right_ = std::max(static_cast<long long>(right), 0LL);
    AfterViewChange();
}

void WaveView::HideWaveformMap() {
    if (map_ != nullptr) {
        map_->hide();
    }
}

void WaveView::ShowLengthText(const std::string& text) {
    emit LengthTextRequested(QString::fromStdString(text));
}

void WaveView::ShowSegmentText(const std::string& text) {
    emit SegmentTextRequested(QString::fromStdString(text));
}

void WaveView::SetMainTitle(const std::string& title) {
    caption_ = QString::fromStdString(title);
    emit MainTitleRequested(caption_);
}

void WaveView::UpdateAllViews() {
    const double last = std::max(document_.Length() - 1.0, 1.0);
    if (xmax_ > last || xmin_ >= xmax_) {
        xmin_ = 0.0;
        xmax_ = last;
    }
    right_ = std::max(std::min(right_, static_cast<long long>(last)), 0LL);
    left_ = std::max(std::min(left_, right_ - 1), 0LL);
    InvalidateSamples();
    AfterViewChange();
}

void WaveView::RequestClose() {
    emit CloseRequested();
}

void WaveView::OnApplicationStateChanged(Qt::ApplicationState state) {
    if (state == applicationState_ || session_ == nullptr) {
        return;
    }
    const bool wasActive = applicationState_ == Qt::ApplicationActive;
    applicationState_ = state;
    if (state == Qt::ApplicationActive) {
        // The host may have switched channel or segment meanwhile.
        if (!IsPulse()) {
            session_->Segments().Resync();
        }
    } else if (wasActive) {
        if (Mode() != DrawMode::None) {
            tool_->End();
        }
        session_->Link().NotifyDeactivated();
    }
}

// --- mouse -------------------------------------------------------------------------

void WaveView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        const int handle = anchors_->HandleAt(point, false);
        if (handle >= 0) {
            anchors_->ShowEditorAt(handle);
        } else if (Mode() != DrawMode::None) {
            tool_->End();
        } else {
            emit ContextMenuRequested(event->globalPosition().toPoint());
        }
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (Mode() != DrawMode::None) {
        tool_->Press(point);
        return;
    }
    const int handle = anchors_->HandleAt(point, true);
    if (handle >= 0) {
        anchors_->StartDrag(handle, point);
    }
}

void WaveView::mouseMoveEvent(QMouseEvent* event) {
    QPoint point = event->position().toPoint();
    if (anchors_->Dragging()) {
        anchors_->Drag(point);
        return;
    }
    if (Mode() != DrawMode::None) {
        point = tool_->Move(point);
    } else {
        anchors_->SetHighlighted(anchors_->HandleAt(point, true));
    }
    EmitPosition(point);
}

void WaveView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (anchors_->Dragging()) {
        anchors_->EndDrag();
    } else {
        tool_->Release();
    }
}

void WaveView::leaveEvent(QEvent* event) {
    anchors_->SetHighlighted(-1);
    emit PositionChanged(QString());
    QWidget::leaveEvent(event);
}

void WaveView::EmitPosition(QPoint point) {
    if (!plotRect_.Contains(point.x(), point.y()) || IsPulse()) {
        emit PositionChanged(QString());
        return;
    }
    const double x = std::trunc(geometry_->PixelToX(point.x()));
    // The code a click there would draw; in the FM editor the frequency in Hz.
    QString valueText;
    if (document_.Services().state.IsFm()) {
        const AxisMap& y = geometry_->YMap();
        valueText = QString::number((point.y() - y.intercept) / y.slope, 'g', 9);
    } else {
        valueText =
            QString::number(static_cast<long long>(std::trunc(geometry_->PixelToCode(point.y()))));
    }
    emit PositionChanged(
        QStringLiteral("Point %1   Value %2").arg(static_cast<long long>(x)).arg(valueText));
}

void WaveView::SetAnchorFromEditor(int index, long long position) {
    (index == 0 ? left_ : right_) = position;
    anchors_->WriteParameters();
    AfterViewChange();
}

void WaveView::ShowRangeFromMap(double first, double last) {
    xmin_ = first;
    xmax_ = last;
    left_ = static_cast<long long>(first);
    right_ = static_cast<long long>(last);
    InvalidatePlot();
    AfterViewChange();
}

// --- layout and painting -----------------------------------------------------------

void WaveView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void WaveView::Relayout() {
    const int w = width();
    const int h = height();
    const int m = h / 20;
    const int plotHeight = (h - m) - (m + m / 2);
    labelFont_ = PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plotHeight, false));
    readoutFont_ = PlotPainter::LabelFont(ViewGeometry::ReadoutFontHeight(plotHeight, false));
    const QFontMetrics metrics(labelFont_);
    const bool fm = document_.Services().state.IsFm();
    const int sampleWidth = WavePlotRenderer::SampleLabelWidth(metrics, fm);
    const int unitWidth = metrics.horizontalAdvance(QStringLiteral("Points"));
    plotRect_ = ViewGeometry::LayoutPlot(w, h, sampleWidth, unitWidth, IsPulse());
    const int readoutHeight = QFontMetrics(readoutFont_).height();
    handleHeight_ = std::clamp(plotRect_.top - readoutHeight - 2, 6, 18);
    InvalidatePlot();
    UpdateGeometry();
    anchors_->PlaceHandles();
}

void WaveView::UpdateGeometry() {
    if (!IsPulse() && !ownVerticalRange_) {
        if (document_.IsFmDocument()) {
            vmin_ = document_.Fm().fmin;
            vmax_ = document_.Fm().fmax;
        } else {
            vmin_ = document_.VerticalLow();
            vmax_ = document_.VerticalHigh();
        }
    }
    geometry_->SetRanges(xmin_, xmax_, vmin_, vmax_);
    geometry_->ComputeMappings(plotRect_);
}

void WaveView::UpdateStrip(int x0, int x1) {
    update(QRect(x0 - 2, 0, x1 - x0 + 5, height()));
}

void WaveView::UpdateCaption() {
    const AppState& state = document_.Services().state;
    const QString title = state.IsPulse()
                              ? QString::fromUtf8(ModeTitle(state.mode))
                              : QString::fromUtf8(ModeTitle(state.mode)) + QStringLiteral(" -> ") +
                                    QString::fromStdString(document_.CurrentPath());
    if (title != caption_) {
        caption_ = title;
        emit MainTitleRequested(caption_);
    }
}

void WaveView::paintEvent(QPaintEvent* event) {
    UpdateCaption();
    renderer_->PaintWidget(event->rect());
}

void WaveView::Print(QPrinter* printer) {
    QPainter painter(printer);
    if (!painter.isActive()) {
        return;
    }
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    PaintPage(painter, page.size(), printer->resolution());
}

void WaveView::PaintPage(QPainter& painter, const QSizeF& page, qreal resolution) {
    renderer_->PaintPage(painter, page, resolution);
}
