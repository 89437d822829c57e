#include "ui/AnchorDragController.h"

#include "core/AppServices.h"
#include "document/WaveDoc.h"
#include "settings/ProfileStore.h"
#include "ui/AnchorEditor.h"
#include "ui/AnchorHandle.h"
#include "ui/ViewPalette.h"
#include "ui/ViewSurface.h"
#include "view/AnchorRules.h"
#include "view/WaveViewState.h"

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

AnchorDragController::AnchorDragController(ViewSurface& surface) : surface_(surface) {}

const WaveViewState& AnchorDragController::State() const {
    return surface_.State();
}

void AnchorDragController::Build() {
    QWidget* view = &surface_.Widget();
    handles_[0] = new AnchorHandle(AnchorHandle::Side::Left, view);
    handles_[1] = new AnchorHandle(AnchorHandle::Side::Right, view);
    handles_[0]->setObjectName(QStringLiteral("anchorHandle2202"));
    handles_[1]->setObjectName(QStringLiteral("anchorHandle2203"));
    editor_ = new AnchorEditor(view);
    editor_->setObjectName(QStringLiteral("anchorEditor2204"));
}

int AnchorDragController::Pixel(int index) const {
    return State().Geometry().XToPixel(static_cast<double>(State().Anchor(index)));
}

int AnchorDragController::ShownPixel(int index) const {
    return dragHandle_ == index ? guideX_ : Pixel(index);
}

bool AnchorDragController::Visible(int index) const {
    return State().AnchorVisible(index);
}

bool AnchorDragController::HandlesFacingOut() const {
    return Visible(0) && Visible(1) && ShownPixel(1) - ShownPixel(0) <= 2 * kHandleWidth - 2;
}

PixelRect AnchorDragController::HandleRect(int index) const {
    // AnchorRules places side 0 to the right of its pixel and side 1 to the left.
    const int side = HandlesFacingOut() ? 1 - index : index;
    return AnchorRules::HandleRect(side, ShownPixel(index), State().Plot().top, kHandleWidth,
                                   State().HandleHeight());
}

int AnchorDragController::HandleAt(QPoint point, bool withLines) const {
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
    return AnchorRules::HitTest(point.x(), point.y(), rects, pixels, State().Plot());
}

void AnchorDragController::StartDrag(int index, QPoint point) {
    dragHandle_ = index;
    dragStartY_ = point.y();
    handles_[index]->raise();
    guideX_ = Pixel(index);
    surface_.RepaintStrip(guideX_, guideX_);
    PlaceEditor(index);
    editor_->Follow(index, QString::number(State().Anchor(index)));
}

void AnchorDragController::Drag(QPoint point) {
    const int index = dragHandle_;
    const int other = Pixel(1 - index);
    const AnchorRange range = AnchorRules::AllowedRange(index, State().Left(), State().Right(),
                                                        State().VisibleMin(), State().VisibleMax());
    const AnchorRules::DragStep step = AnchorRules::Drag(index, point.x(), point.y(), dragStartY_,
                                                         other, State().Geometry(), range);
    if (step.moveCursor) {
        QCursor::setPos(surface_.Widget().mapToGlobal(QPoint(step.cursorX, step.cursorY)));
    }
    if (!step.follow) {
        return;
    }
    const int previous = guideX_;
    guideX_ = step.handleX;
    surface_.State().SetAnchor(index, step.position);
    PlaceHandles();
    PlaceEditor(index);
    editor_->Follow(index, QString::number(step.position));
    surface_.RepaintStrip(std::min(previous, guideX_), std::max(previous, guideX_));
    surface_.Widget().update(0, 0, surface_.Widget().width(), State().Plot().top);
    surface_.AnchorsMoved();
}

void AnchorDragController::EndDrag() {
    dragHandle_ = -1;
    guideX_ = -1;
    editor_->Close();
    WriteParameters();
    PlaceHandles();
    surface_.Widget().update();
    surface_.CommandStateMayHaveChanged();
}

void AnchorDragController::WriteParameters() {
    const char* section = State().Mode().anchorSection;
    ProfileStore& store = surface_.State().Document().Store();
    store.WriteProfileText(section, "Prv_bgn", std::to_string(State().Left()), store.ContextFile());
    store.WriteProfileText(section, "Prv_end", std::to_string(State().Right()),
                           store.ContextFile());
}

void AnchorDragController::PlaceEditor(int index) {
    const QFontMetrics metrics(editor_->font());
    const int width = metrics.horizontalAdvance(QStringLiteral("2345678")) + 12;
    const int height = metrics.height() + 6;
    PixelRect rect = AnchorRules::EditorRect(index, HandleRect(index), width, height);
    // Kept inside the view so that an anchor at the edge still has its editor.
    const int shift =
        std::max(0, -rect.left) - std::max(0, rect.right + kEditorGap - surface_.Widget().width());
    rect.left += shift;
    rect.right += shift;
    rect.top = std::max(rect.top, 0);
    rect.bottom = rect.top + height;
    editor_->setGeometry(ToQRect(rect));
}

void AnchorDragController::ShowEditorAt(int index) {
    PlaceEditor(index);
    const AnchorRange range = AnchorRules::AllowedRange(index, State().Left(), State().Right(),
                                                        State().VisibleMin(), State().VisibleMax());
    editor_->Open(index, QString::number(State().Anchor(index)), range);
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
    if (surface_.Mode() == DrawMode::None) {
        if (index >= 0) {
            surface_.Widget().setCursor(Qt::SizeHorCursor);
        } else {
            surface_.Widget().unsetCursor();
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
        const PixelRect rect = HandleRect(index);
        handle->setGeometry(ToQRect(rect));
        handle->SetLineSide(rect.left == ShownPixel(index) ? AnchorHandle::Side::Left
                                                           : AnchorHandle::Side::Right);
        handle->show();
    }
}

void AnchorDragController::PaintShading(QPainter& painter) const {
    const PixelRect& plot = State().Plot();
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
