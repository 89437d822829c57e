#include "ui/WaveView.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "link/HostLink.h"
#include "settings/AppServices.h"
#include "settings/ProfileStore.h"
#include "synthesis/AnchorRules.h"
#include "synthesis/AxisLabels.h"
#include "synthesis/EditOperations.h"
#include "synthesis/MapGeometry.h"
#include "ui/AnchorEditor.h"
#include "ui/AnchorHandle.h"
#include "ui/PlotPainter.h"
#include "ui/ViewPalette.h"
#include "ui/ViewPrinter.h"
#include "ui/WaveformMap.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kHandleWidth = 11;
constexpr int kEditorGap = 2;
constexpr int kMarkerRadius = 3;
// The space between the vertical labels' tick marks and the plot.
constexpr int kLabelMargin = 8;

const char* SampleLabel(bool fm) {
    return fm ? "2.2345678" : "23456";
}

QRect ToQRect(const PixelRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

} // namespace

WaveView::WaveView(ToolSession& session, QWidget* parent) : WaveView(session.Document(), parent) {
    session_ = &session;
    applicationState_ = QGuiApplication::applicationState();
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &WaveView::OnApplicationStateChanged);
}

WaveView::WaveView(WaveDoc& document, QWidget* parent)
    : QWidget(parent), document_(document), geometry_(std::make_unique<ViewGeometry>()),
      envelope_(std::make_unique<WaveformEnvelope>()) {
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
    handles_[0] = new AnchorHandle(AnchorHandle::Side::Left, this);
    handles_[1] = new AnchorHandle(AnchorHandle::Side::Right, this);
    handles_[0]->setObjectName(QStringLiteral("anchorHandle2202"));
    handles_[1]->setObjectName(QStringLiteral("anchorHandle2203"));
    editor_ = new AnchorEditor(this);
    editor_->setObjectName(QStringLiteral("anchorEditor2204"));
    connect(editor_, &AnchorEditor::PositionAccepted, this, &WaveView::SetAnchorFromEditor);
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
    state.mode = mode_;
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
        StartDrawing(DrawMode::Autoline);
        break;
    case EditCommands::kSketch:
        StartDrawing(DrawMode::Sketch);
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

void WaveView::StartDrawing(DrawMode mode) {
    mode_ = mode;
    stroke_ = false;
    hasLastPoint_ = false;
    hasRubber_ = false;
    Unmark();
    if (isVisible()) {
        grabMouse(Qt::CrossCursor);
    }
    setCursor(Qt::CrossCursor);
    document_.SnapshotForUndo();
    emit StatusTextChanged(CommandStatusText(mode == DrawMode::Autoline ? EditCommands::kAutoline
                                                                        : EditCommands::kSketch));
}

void WaveView::EndDrawing() {
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    unsetCursor();
    hasLastPoint_ = false;
    hasRubber_ = false;
    stroke_ = false;
    mode_ = DrawMode::None;
    document_.CommitToWorkingFile();
    emit WaveformCommitted();
    emit StatusTextChanged(QString());
    emit CommandStateChanged();
    update();
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
    PlaceHandles();
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
        if (mode_ != DrawMode::None) {
            EndDrawing();
        }
        session_->Link().NotifyDeactivated();
    }
}

// --- mouse -------------------------------------------------------------------------

int WaveView::AnchorPixel(int index) const {
    return geometry_->XToPixel(static_cast<double>(index == 0 ? left_ : right_));
}

bool WaveView::AnchorVisible(int index) const {
    const double position = static_cast<double>(index == 0 ? left_ : right_);
    return position >= xmin_ && position <= xmax_;
}

PixelRect WaveView::HandleRect(int index) const {
    const int x = dragHandle_ == index ? guideX_ : AnchorPixel(index);
    return AnchorRules::HandleRect(index, x, plotRect_.top, kHandleWidth, handleHeight_);
}

int WaveView::HandleAt(QPoint point, bool withLines) const {
    if (IsPulse()) {
        return -1;
    }
    PixelRect rects[2];
    int pixels[2] = {INT_MIN / 2, INT_MIN / 2};
    for (int index = 0; index < 2; ++index) {
        if (AnchorVisible(index)) {
            rects[index] = HandleRect(index);
            pixels[index] = AnchorPixel(index);
        }
    }
    if (!withLines) {
        for (int index = 0; index < 2; ++index) {
            if (rects[index].Contains(point.x(), point.y())) {
                return index;
            }
        }
        return -1;
    }
    return AnchorRules::HitTest(point.x(), point.y(), rects, pixels, plotRect_);
}

QPoint WaveView::ConfineToPlot(QPoint point) {
    const QPoint inside(std::clamp(point.x(), plotRect_.left, plotRect_.right),
                        std::clamp(point.y(), plotRect_.top, plotRect_.bottom));
    if (inside != point) {
        QCursor::setPos(mapToGlobal(inside));
    }
    return inside;
}

void WaveView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        const int handle = HandleAt(point, false);
        if (handle >= 0) {
            ShowEditorAt(handle);
        } else if (mode_ != DrawMode::None) {
            EndDrawing();
        } else {
            emit ContextMenuRequested(event->globalPosition().toPoint());
        }
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    switch (mode_) {
    case DrawMode::None: {
        const int handle = HandleAt(point, true);
        if (handle >= 0) {
            StartAnchorDrag(handle, point);
        }
        break;
    }
    case DrawMode::Autoline:
        AutolineClick(ConfineToPlot(point));
        break;
    case DrawMode::Sketch:
        lastPoint_ = ConfineToPlot(point);
        hasLastPoint_ = true;
        stroke_ = true;
        break;
    }
}

void WaveView::mouseMoveEvent(QMouseEvent* event) {
    QPoint point = event->position().toPoint();
    if (dragHandle_ >= 0) {
        DragAnchor(point);
        return;
    }
    if (mode_ != DrawMode::None) {
        point = ConfineToPlot(point);
        if (mode_ == DrawMode::Autoline && hasLastPoint_) {
            const QPoint previous = rubberEnd_;
            rubberEnd_ = point;
            hasRubber_ = true;
            update(QRect(lastPoint_, previous).normalized().adjusted(-2, -2, 2, 2));
            update(QRect(lastPoint_, point).normalized().adjusted(-2, -2, 2, 2));
        } else if (mode_ == DrawMode::Sketch && stroke_ && DrawSegmentBetween(lastPoint_, point)) {
            lastPoint_ = point;
        }
    } else {
        SetHighlightedHandle(HandleAt(point, true));
    }
    EmitPosition(point);
}

void WaveView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (dragHandle_ >= 0) {
        EndAnchorDrag();
    } else if (mode_ == DrawMode::Sketch && stroke_) {
        stroke_ = false;
        update();
    }
}

void WaveView::leaveEvent(QEvent* event) {
    SetHighlightedHandle(-1);
    emit PositionChanged(QString());
    QWidget::leaveEvent(event);
}

void WaveView::SetHighlightedHandle(int index) {
    if (index == highlighted_) {
        return;
    }
    highlighted_ = index;
    for (int i = 0; i < 2; ++i) {
        if (handles_[i] != nullptr) {
            handles_[i]->SetHighlighted(i == index);
        }
    }
    if (mode_ == DrawMode::None) {
        if (index >= 0) {
            setCursor(Qt::SizeHorCursor);
        } else {
            unsetCursor();
        }
    }
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

void WaveView::AutolineClick(QPoint point) {
    if (hasLastPoint_ && point.x() != lastPoint_.x()) {
        DrawSegmentBetween(lastPoint_, point);
    }
    const QRect oldMarker(lastPoint_.x() - kMarkerRadius - 1, lastPoint_.y() - kMarkerRadius - 1,
                          2 * kMarkerRadius + 3, 2 * kMarkerRadius + 3);
    update(oldMarker);
    if (hasRubber_) {
        update(QRect(lastPoint_, rubberEnd_).normalized().adjusted(-2, -2, 2, 2));
    }
    lastPoint_ = point;
    hasLastPoint_ = true;
    hasRubber_ = false;
    update(oldMarker.translated(point - oldMarker.center()));
}

bool WaveView::DrawSegmentBetween(QPoint from, QPoint to) {
    const QPoint left = from.x() <= to.x() ? from : to;
    const QPoint right = from.x() <= to.x() ? to : from;
    const long long i0 = static_cast<long long>(std::trunc(geometry_->PixelToX(left.x())));
    const long long i1 = static_cast<long long>(std::trunc(geometry_->PixelToX(right.x())));
    const double v0 = std::trunc(geometry_->PixelToCode(left.y()));
    const double v1 = std::trunc(geometry_->PixelToCode(right.y()));
    SampleBuffer& samples = document_.Samples();
    if (!EditOperations::DrawSegment(samples, i0, v0, i1, v1)) {
        return false;
    }
    if (!samplesDirty_ && envelope_->Matches(samples)) {
        const long long last = static_cast<long long>(samples.Size()) - 1;
        envelope_->Update(samples, static_cast<std::size_t>(std::clamp(i0, 0LL, last)),
                          static_cast<std::size_t>(std::clamp(i1, 0LL, last)));
    } else {
        samplesDirty_ = true;
    }
    plotValid_ = false;
    if (map_ != nullptr) {
        map_->InvalidateWaveform();
    }
    UpdateStrip(left.x(), right.x());
    return true;
}

void WaveView::StartAnchorDrag(int index, QPoint point) {
    dragHandle_ = index;
    dragStartY_ = point.y();
    guideX_ = AnchorPixel(index);
    UpdateStrip(guideX_, guideX_);
    PlaceEditor(index);
    editor_->Follow(index, QString::number(index == 0 ? left_ : right_));
}

void WaveView::DragAnchor(QPoint point) {
    const int index = dragHandle_;
    const int other = AnchorPixel(1 - index);
    const AnchorRange range = AnchorRules::AllowedRange(index, left_, right_, xmin_, xmax_);
    const AnchorRules::DragStep step =
        AnchorRules::Drag(index, point.x(), point.y(), dragStartY_, other, *geometry_, range);
    if (step.moveCursor) {
        QCursor::setPos(mapToGlobal(QPoint(step.cursorX, step.cursorY)));
    }
    if (!step.follow) {
        return;
    }
    const int previous = guideX_;
    guideX_ = step.handleX;
    (index == 0 ? left_ : right_) = step.position;
    const PixelRect handle = HandleRect(index);
    handles_[index]->setGeometry(ToQRect(handle));
    PlaceEditor(index);
    editor_->Follow(index, QString::number(step.position));
    UpdateStrip(std::min(previous, guideX_), std::max(previous, guideX_));
    update(0, 0, width(), plotRect_.top);
    emit AnchorsChanged(left_, right_);
}

void WaveView::EndAnchorDrag() {
    dragHandle_ = -1;
    guideX_ = -1;
    editor_->Close();
    WriteAnchorParameters();
    PlaceHandles();
    update();
    emit CommandStateChanged();
}

void WaveView::WriteAnchorParameters() {
    AppServices& services = document_.Services();
    const char* section = services.state.IsFm() ? "FmsWav_Par" : "SmWav_Par";
    ProfileStore& store = services.store;
    store.WriteProfileText(section, "Prv_bgn", std::to_string(left_), store.ContextFile());
    store.WriteProfileText(section, "Prv_end", std::to_string(right_), store.ContextFile());
}

void WaveView::PlaceEditor(int index) {
    const QFontMetrics metrics(editor_->font());
    const int width = metrics.horizontalAdvance(QStringLiteral("2345678")) + 12;
    const int height = metrics.height() + 6;
    PixelRect rect = AnchorRules::EditorRect(index, HandleRect(index), width, height);
    // Kept inside the view so that an anchor at the edge still has its editor.
    const int shift =
        std::max(0, -rect.left) - std::max(0, rect.right + kEditorGap - this->width());
    rect.left += shift;
    rect.right += shift;
    rect.top = std::max(rect.top, 0);
    rect.bottom = rect.top + height;
    editor_->setGeometry(ToQRect(rect));
}

void WaveView::ShowEditorAt(int index) {
    PlaceEditor(index);
    const AnchorRange range = AnchorRules::AllowedRange(index, left_, right_, xmin_, xmax_);
    editor_->Open(index, QString::number(index == 0 ? left_ : right_), range);
}

void WaveView::SetAnchorFromEditor(int index, long long position) {
    (index == 0 ? left_ : right_) = position;
    WriteAnchorParameters();
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
    const int sampleWidth =
        metrics.horizontalAdvance(QString::fromLatin1(SampleLabel(fm))) + kLabelMargin;
    const int unitWidth = metrics.horizontalAdvance(QStringLiteral("Points"));
    plotRect_ = ViewGeometry::LayoutPlot(w, h, sampleWidth, unitWidth, IsPulse());
    const int readoutHeight = QFontMetrics(readoutFont_).height();
    handleHeight_ = std::clamp(plotRect_.top - readoutHeight - 2, 6, 18);
    InvalidatePlot();
    UpdateGeometry();
    PlaceHandles();
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

void WaveView::PlaceHandles() {
    for (int index = 0; index < 2; ++index) {
        AnchorHandle* handle = handles_[index];
        if (handle == nullptr) {
            continue;
        }
        if (!AnchorVisible(index) && dragHandle_ != index) {
            handle->hide();
            continue;
        }
        handle->setGeometry(ToQRect(HandleRect(index)));
        handle->show();
    }
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

bool WaveView::DrawsSamples() const {
    const bool replaced = std::any_of(overlays_.begin(), overlays_.end(), [](const auto& entry) {
        return entry.second == WaveOverlay::Stage::InsteadOfWaveform;
    });
    return !replaced && !IsPulse();
}

void WaveView::PaintAxesLayer(QPainter& painter, const ViewGeometry& geometry,
                              const QRect& background, const QFont& font) {
    PlotPainter::PaintBackground(painter, background);
    const AppState& state = document_.Services().state;
    const AxisStyle style =
        state.IsPulse() ? AxisStyle::Pulse : (state.IsFm() ? AxisStyle::Fm : AxisStyle::Standard);
    PlotPainter::PaintAxes(painter, geometry, AxisLabels::Compute(geometry, style, timeUnitIndex_),
                           font, background);
}

void WaveView::PaintOverlays(QPainter& painter, const ViewGeometry& geometry, bool printing) {
    if (overlays_.empty()) {
        return;
    }
    painter.save();
    painter.setClipRect(ToQRect(geometry.Plot()).adjusted(0, 0, 1, 1));
    for (const auto& [overlay, stage] : overlays_) {
        overlay->Paint(painter, geometry, printing);
    }
    painter.restore();
}

void WaveView::RenderPage(QPainter& painter, const ViewGeometry& geometry, const QRect& background,
                          const QFont& font) {
    PaintAxesLayer(painter, geometry, background, font);
    if (DrawsSamples()) {
        painter.save();
        painter.setClipRect(ToQRect(geometry.Plot()).adjusted(0, 0, 1, 1));
        PlotPainter::PaintWaveform(painter, Columns(geometry), 2.0);
        painter.restore();
    }
    PaintOverlays(painter, geometry, true);
}

void WaveView::EnsurePlotCache() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (plotValid_ && plotCache_.size() == pixels) {
        return;
    }
    UpdateGeometry();
    if (plotCache_.size() != pixels) {
        plotCache_ = QImage(pixels, QImage::Format_RGB32);
    }
    plotCache_.setDevicePixelRatio(ratio);
    {
        QPainter painter(&plotCache_);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        PaintAxesLayer(painter, *geometry_, rect(), labelFont_);
    }
    if (DrawsSamples()) {
        const QRect plot = ToQRect(geometry_->Plot()).adjusted(0, 0, 1, 1);
        PlotPainter::PaintRuns(plotCache_, WaveformEnvelope::Runs(Columns(*geometry_)), plot,
                               ViewPalette::kAxis);
    }
    if (!overlays_.empty()) {
        QPainter painter(&plotCache_);
        PaintOverlays(painter, *geometry_, false);
    }
    plotValid_ = true;
}

void WaveView::PaintDecorations(QPainter& painter) {
    if (IsPulse()) {
        return;
    }
    const PixelRect& plot = plotRect_;
    // Read-outs above the plot.
    painter.setFont(readoutFont_);
    painter.setPen(QColor(ViewPalette::kAxis));
    const QFontMetrics metrics(readoutFont_);
    const QRect band(plot.left, 1, plot.Width(), metrics.height());
    painter.fillRect(band, QColor(ViewPalette::kBackground));
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("L. Anchor = ") + QString::number(left_));
    painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("R. Anchor = ") + QString::number(right_));

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    // The range outside the anchors, each side only when its anchor is visible.
    const QColor shade(ViewPalette::kShadeXor);
    if (AnchorVisible(0)) {
        const int x = dragHandle_ == 0 ? guideX_ : AnchorPixel(0);
        painter.fillRect(QRect(QPoint(plot.left, plot.top), QPoint(x - 1, plot.bottom)), shade);
    }
    if (AnchorVisible(1)) {
        const int x = dragHandle_ == 1 ? guideX_ : AnchorPixel(1);
        painter.fillRect(QRect(QPoint(x + 1, plot.top), QPoint(plot.right, plot.bottom)), shade);
    }
    if (dragHandle_ >= 0) {
        painter.setPen(QPen(QColor(ViewPalette::kGuide), 1));
        painter.drawLine(guideX_, plot.top + 3, guideX_, plot.bottom);
    }
    if (mode_ == DrawMode::Autoline && hasLastPoint_) {
        painter.setPen(QPen(QColor(ViewPalette::kMarker), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(lastPoint_, kMarkerRadius, kMarkerRadius);
        if (hasRubber_) {
            painter.setPen(QPen(QColor(ViewPalette::kRubberBand), 1));
            painter.drawLine(lastPoint_, rubberEnd_);
        }
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void WaveView::paintEvent(QPaintEvent* event) {
    UpdateCaption();
    EnsurePlotCache();
    const QRect dirty = event->rect();
    QPainter painter(this);
    // The raster engine (every QImage and most backing stores) draws XOR itself; other
    // engines get the decorations composed on an image first.
    if (painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        painter.setClipRect(dirty);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), plotCache_);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        PaintDecorations(painter);
        return;
    }
    if (frame_.size() != plotCache_.size()) {
        frame_ = QImage(plotCache_.size(), QImage::Format_RGB32);
    }
    frame_.setDevicePixelRatio(plotCache_.devicePixelRatio());
    {
        QPainter compose(&frame_);
        compose.setClipRect(dirty);
        compose.setCompositionMode(QPainter::CompositionMode_Source);
        compose.drawImage(0, 0, plotCache_);
        compose.setCompositionMode(QPainter::CompositionMode_SourceOver);
        compose.setRenderHint(QPainter::TextAntialiasing, true);
        PaintDecorations(compose);
    }
    const qreal ratio = frame_.devicePixelRatio();
    painter.drawImage(dirty, frame_,
                      QRectF(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio,
                             dirty.height() * ratio));
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
    // Laid out in 1/96 inch so that the page reads like the screen at any resolution.
    const qreal scale = resolution / 96.0;
    painter.save();
    painter.scale(scale, scale);
    const int pageWidth = static_cast<int>(page.width() / scale);
    const int pageHeight = static_cast<int>(page.height() / scale);
    const PixelRect background =
        ViewGeometry::PrintBackground({0, 0, pageWidth, pageHeight}, pageWidth);
    const bool fm = document_.Services().state.IsFm();
    const QFontMetrics pageMetrics(PlotPainter::LabelFont(13));
    const int cx =
        pageMetrics.horizontalAdvance(QString::fromLatin1(SampleLabel(fm))) + kLabelMargin;
    const int cy = pageMetrics.height();
    const PixelRect plot = ViewGeometry::PrintPlot(background, cx, cy);

    UpdateGeometry();
    ViewGeometry geometry = *geometry_;
    geometry.ComputeMappings(plot);
    const QFont font = PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plot.Height(), true));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    RenderPage(painter, geometry, ToQRect(background), font);
    painter.restore();
}
