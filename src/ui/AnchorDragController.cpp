#include "ui/AnchorDragController.h"

#include "core/AppState.h"
#include "document/WaveDoc.h"
#include "settings/AppServices.h"
#include "settings/ProfileStore.h"
#include "ui/AnchorEditor.h"
#include "ui/AnchorHandle.h"
#include "ui/ViewPalette.h"
#include "ui/WaveView.h"
#include "view/AnchorRules.h"

#include <QCursor>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <climits>

namespace {

constexpr int kHandleWidth = 11;
constexpr int kEditorGap = 2;

QRect ToQRect(const PixelRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

} // namespace

AnchorDragController::AnchorDragController(WaveView& view) : view_(view) {}

void AnchorDragController::Build() {
    handles_[0] = new AnchorHandle(AnchorHandle::Side::Left, &view_);
    handles_[1] = new AnchorHandle(AnchorHandle::Side::Right, &view_);
    handles_[0]->setObjectName(QStringLiteral("anchorHandle2202"));
    handles_[1]->setObjectName(QStringLiteral("anchorHandle2203"));
    editor_ = new AnchorEditor(&view_);
    editor_->setObjectName(QStringLiteral("anchorEditor2204"));
    QObject::connect(editor_, &AnchorEditor::PositionAccepted, &view_,
                     &WaveView::SetAnchorFromEditor);
}

int AnchorDragController::Pixel(int index) const {
    return view_.geometry_->XToPixel(static_cast<double>(index == 0 ? view_.left_ : view_.right_));
}

int AnchorDragController::ShownPixel(int index) const {
    return dragHandle_ == index ? guideX_ : Pixel(index);
}

bool AnchorDragController::Visible(int index) const {
    const double position = static_cast<double>(index == 0 ? view_.left_ : view_.right_);
    return position >= view_.xmin_ && position <= view_.xmax_;
}

PixelRect AnchorDragController::HandleRect(int index) const {
    return AnchorRules::HandleRect(index, ShownPixel(index), view_.plotRect_.top, kHandleWidth,
                                   view_.handleHeight_);
}

int AnchorDragController::HandleAt(QPoint point, bool withLines) const {
    if (view_.IsPulse()) {
        return -1;
    }
    PixelRect rects[2];
    int pixels[2] = {INT_MIN / 2, INT_MIN / 2};
    for (int index = 0; index < 2; ++index) {
        if (Visible(index)) {
            rects[index] = HandleRect(index);
            pixels[index] = Pixel(index);
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
    return AnchorRules::HitTest(point.x(), point.y(), rects, pixels, view_.plotRect_);
}

void AnchorDragController::StartDrag(int index, QPoint point) {
    dragHandle_ = index;
    dragStartY_ = point.y();
    guideX_ = Pixel(index);
    view_.UpdateStrip(guideX_, guideX_);
    PlaceEditor(index);
    editor_->Follow(index, QString::number(index == 0 ? view_.left_ : view_.right_));
}

void AnchorDragController::Drag(QPoint point) {
    const int index = dragHandle_;
    const int other = Pixel(1 - index);
    const AnchorRange range =
        AnchorRules::AllowedRange(index, view_.left_, view_.right_, view_.xmin_, view_.xmax_);
    const AnchorRules::DragStep step =
        AnchorRules::Drag(index, point.x(), point.y(), dragStartY_, other, *view_.geometry_, range);
    if (step.moveCursor) {
        QCursor::setPos(view_.mapToGlobal(QPoint(step.cursorX, step.cursorY)));
    }
    if (!step.follow) {
        return;
    }
    const int previous = guideX_;
    guideX_ = step.handleX;
    (index == 0 ? view_.left_ : view_.right_) = step.position;
    handles_[index]->setGeometry(ToQRect(HandleRect(index)));
    PlaceEditor(index);
    editor_->Follow(index, QString::number(step.position));
    view_.UpdateStrip(std::min(previous, guideX_), std::max(previous, guideX_));
    view_.update(0, 0, view_.width(), view_.plotRect_.top);
    emit view_.AnchorsChanged(view_.left_, view_.right_);
}

void AnchorDragController::EndDrag() {
    dragHandle_ = -1;
    guideX_ = -1;
    editor_->Close();
    WriteParameters();
    PlaceHandles();
    view_.update();
    emit view_.CommandStateChanged();
}

void AnchorDragController::WriteParameters() {
    AppServices& services = view_.document_.Services();
    const char* section = services.state.IsFm() ? "FmsWav_Par" : "SmWav_Par";
    ProfileStore& store = services.store;
    store.WriteProfileText(section, "Prv_bgn", std::to_string(view_.left_), store.ContextFile());
    store.WriteProfileText(section, "Prv_end", std::to_string(view_.right_), store.ContextFile());
}

void AnchorDragController::PlaceEditor(int index) {
    const QFontMetrics metrics(editor_->font());
    const int width = metrics.horizontalAdvance(QStringLiteral("2345678")) + 12;
    const int height = metrics.height() + 6;
    PixelRect rect = AnchorRules::EditorRect(index, HandleRect(index), width, height);
    // Kept inside the view so that an anchor at the edge still has its editor.
    const int shift =
        std::max(0, -rect.left) - std::max(0, rect.right + kEditorGap - view_.width());
    rect.left += shift;
    rect.right += shift;
    rect.top = std::max(rect.top, 0);
    rect.bottom = rect.top + height;
    editor_->setGeometry(ToQRect(rect));
}

void AnchorDragController::ShowEditorAt(int index) {
    PlaceEditor(index);
    const AnchorRange range =
        AnchorRules::AllowedRange(index, view_.left_, view_.right_, view_.xmin_, view_.xmax_);
    editor_->Open(index, QString::number(index == 0 ? view_.left_ : view_.right_), range);
}

void AnchorDragController::SetHighlighted(int index) {
    if (index == highlighted_) {
        return;
    }
    highlighted_ = index;
    for (int i = 0; i < 2; ++i) {
        if (handles_[i] != nullptr) {
            handles_[i]->SetHighlighted(i == index);
        }
    }
    if (view_.Mode() == DrawMode::None) {
        if (index >= 0) {
            view_.setCursor(Qt::SizeHorCursor);
        } else {
            view_.unsetCursor();
        }
    }
}

void AnchorDragController::PlaceHandles() {
    for (int index = 0; index < 2; ++index) {
        AnchorHandle* handle = handles_[index];
        if (handle == nullptr) {
            continue;
        }
        if (!Visible(index) && dragHandle_ != index) {
            handle->hide();
            continue;
        }
        handle->setGeometry(ToQRect(HandleRect(index)));
        handle->show();
    }
}

void AnchorDragController::PaintShading(QPainter& painter) const {
    const PixelRect& plot = view_.plotRect_;
    // The range outside the anchors, each side only when its anchor is visible.
    const QColor shade(ViewPalette::kShadeXor);
    if (Visible(0)) {
        const int x = ShownPixel(0);
        painter.fillRect(QRect(QPoint(plot.left, plot.top), QPoint(x - 1, plot.bottom)), shade);
    }
    if (Visible(1)) {
        const int x = ShownPixel(1);
        painter.fillRect(QRect(QPoint(x + 1, plot.top), QPoint(plot.right, plot.bottom)), shade);
    }
    if (dragHandle_ >= 0) {
        painter.setPen(QPen(QColor(ViewPalette::kGuide), 1));
        painter.drawLine(guideX_, plot.top + 3, guideX_, plot.bottom);
    }
}
