#include "ui/WaveView.h"

#include "app/ToolSession.h"
#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "link/HostLink.h"
#include "ui/AnchorDragController.h"
#include "ui/AnchorEditor.h"
#include "ui/ViewPrinter.h"
#include "ui/WaveDrawingTool.h"
#include "ui/WavePlotRenderer.h"
#include "ui/WaveViewCommands.h"
#include "ui/WaveformMap.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

WaveView::WaveView(ToolSession& session, QWidget* parent) : WaveView(session.Document(), parent) {
    session_ = &session;
    applicationState_ = QGuiApplication::applicationState();
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &WaveView::OnApplicationStateChanged);
}

WaveView::WaveView(WaveDoc& document, QWidget* parent)
    : QWidget(parent), state_(document),
      anchors_(std::make_unique<AnchorDragController>(static_cast<ViewSurface&>(*this))),
      tool_(std::make_unique<WaveDrawingTool>(static_cast<ViewSurface&>(*this))),
      renderer_(std::make_unique<WavePlotRenderer>(*this, state_, *anchors_, *tool_)),
      commands_(std::make_unique<WaveViewCommands>(static_cast<ViewSurface&>(*this), *tool_)) {
    Build();
}

WaveView::~WaveView() {
    if (state_.Document().View() == this) {
        state_.Document().SetView(nullptr);
    }
}

void WaveView::Build() {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click on the plot takes the focus from the parameter bar's fields, which confirms
    // what was typed there and lets the window's shortcuts reach their commands.
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(200, 120);
    state_.Document().SetView(this);
    anchors_->Build();
    connect(anchors_->Editor(), &AnchorEditor::PositionAccepted, this,
            &WaveView::SetAnchorFromEditor);
    BuildMap();
}

void WaveView::BuildMap() {
    map_ = new WaveformMap(state_, this);
    connect(map_, &WaveformMap::DragStarted, anchors_->Editor(), &AnchorEditor::Close);
    connect(map_, &WaveformMap::RangeChosen, this, &WaveView::ShowRangeFromMap);
}

void WaveView::InitialUpdate() {
    WaveDoc& document = state_.Document();
    if (session_ != nullptr) {
        session_->Segments().OpenActiveSegment();
    }
    document.ApplyTitle();
    SetAnchors(0, document.Length() - 1);
    UpdateAllViews();
}

// --- commands ----------------------------------------------------------------------

bool WaveView::IsCommandEnabled(int id) const {
    return commands_->IsEnabled(id);
}

bool WaveView::IsCommandChecked(int id) const {
    return commands_->IsChecked(id);
}

bool WaveView::OnCommand(int id) {
    if (!IsCommandEnabled(id)) {
        return false;
    }
    if (id == EditCommands::kPrint) {
        ViewPrinter([this](QPainter& painter, const QSizeF& page, qreal resolution) {
            PaintPage(painter, page, resolution);
        }).PreviewAndPrint(this);
    } else if (!commands_->Run(id)) {
        return false;
    }
    emit CommandStateChanged();
    return true;
}

// --- ViewSurface -------------------------------------------------------------------

void WaveView::ViewChanged() {
    // A new FM window may bring wider frequency labels, which move the plot's left edge.
    renderer_->Layout(width(), height());
    state_.UpdateGeometry();
    anchors_->PlaceHandles();
    update();
    if (map_ != nullptr && map_->isVisible()) {
        map_->update();
    }
    emit AnchorsChanged(state_.Left(), state_.Right());
    emit CommandStateChanged();
}

void WaveView::Zoomed(bool in) {
    update();
    ViewChanged();
    if (map_ == nullptr) {
        return;
    }
    if (in) {
        map_->ShowClearOfTrace(this);
    } else {
        map_->hide();
    }
}

void WaveView::SamplesDrawn() {
    if (map_ != nullptr) {
        map_->InvalidateWaveform();
    }
}

// --- state -------------------------------------------------------------------------

DrawMode WaveView::Mode() const {
    return tool_->Mode();
}

AnchorEditor* WaveView::Editor() const {
    return anchors_->Editor();
}

AnchorHandle* WaveView::Handle(int index) const {
    return anchors_->Handle(index);
}

// --- DocumentView ------------------------------------------------------------------

void WaveView::SetAnchors(double left, double right) {
    if (state_.PlaceAnchors(left, right)) {
        update();
    }
    ViewChanged();
}

void WaveView::HideWaveformMap() {
    if (map_ != nullptr) {
        map_->hide();
    }
}

void WaveView::SetMainTitle(const std::string& title) {
    caption_ = QString::fromStdString(title);
    emit MainTitleRequested(caption_);
}

void WaveView::UpdateAllViews() {
    state_.FitToDocument();
    update();
    SamplesDrawn();
    ViewChanged();
}

void WaveView::OnApplicationStateChanged(Qt::ApplicationState state) {
    if (state == applicationState_ || session_ == nullptr) {
        return;
    }
    const bool wasActive = applicationState_ == Qt::ApplicationActive;
    applicationState_ = state;
    if (state == Qt::ApplicationActive) {
        // The host may have switched channel or segment meanwhile.
        session_->Segments().Resync();
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
    if (!state_.Plot().Contains(point.x(), point.y())) {
        emit PositionChanged(QString());
        return;
    }
    const ViewGeometry& geometry = state_.Geometry();
    const double x = std::trunc(geometry.PixelToX(point.x()));
    // The code a click there would draw; in the FM editor the frequency in Hz.
    QString valueText;
    if (state_.Mode().readsFrequency) {
        const AxisMap& y = geometry.YMap();
        valueText = QString::number((point.y() - y.intercept) / y.slope, 'g', 9);
    } else {
        valueText =
            QString::number(static_cast<long long>(std::trunc(geometry.PixelToCode(point.y()))));
    }
    emit PositionChanged(
        QStringLiteral("Point %1   Value %2").arg(static_cast<long long>(x)).arg(valueText));
}

void WaveView::SetAnchorFromEditor(int index, long long position) {
    state_.SetAnchor(index, position);
    anchors_->WriteParameters();
    ViewChanged();
}

void WaveView::ShowRangeFromMap(double first, double last) {
    state_.ShowRange(first, last);
    update();
    ViewChanged();
}

// --- layout and painting -----------------------------------------------------------

void WaveView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    renderer_->Layout(width(), height());
    update();
    anchors_->PlaceHandles();
}

void WaveView::UpdateCaption() {
    const AppState& state = state_.Document().State();
    const QString title = QString::fromUtf8(ModeTitle(state.mode)) + QStringLiteral(" -> ") +
                          QString::fromStdString(state_.Document().CurrentPath());
    if (title != caption_) {
        caption_ = title;
        emit MainTitleRequested(caption_);
    }
}

void WaveView::paintEvent(QPaintEvent* event) {
    UpdateCaption();
    renderer_->PaintWidget(event->rect());
}

void WaveView::PaintPage(QPainter& painter, const QSizeF& page, qreal resolution) {
    renderer_->PaintPage(painter, page, resolution);
}
