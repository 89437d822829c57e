#include "ui/PulseEditorPlacement.h"

#include "pulse/PulseEditor.h"

#include <QScreen>
#include <QTableWidget>

#include <algorithm>

void PulseEditorPlacement::Restore(const PulseEditor& form, QWidget& window, QTableWidget& table) {
    const auto rect = form.StoredPlacement();
    if (rect && (*rect)[2] > (*rect)[0] && (*rect)[3] > (*rect)[1]) {
        const auto& [left, top, right, bottom] = *rect;
        window.setGeometry(left, top, right - left, bottom - top);
    } else {
        PlaceBesideOwner(window);
    }
    if (const auto widths = form.StoredColumnWidths()) {
        for (int column = 0; column < 3; ++column) {
            if ((*widths)[static_cast<std::size_t>(column)] > 0) {
                table.setColumnWidth(column, (*widths)[static_cast<std::size_t>(column)]);
            }
        }
    }
}

// Beside, below, left of or above the main window, or in a corner of the screen: the first
// place that leaves the main window uncovered, else the one that covers the least of it.
void PulseEditorPlacement::PlaceBesideOwner(QWidget& window) {
    const QWidget* owner = window.parentWidget();
    const QScreen* screen = window.screen();
    if (owner == nullptr || screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect frame = owner->frameGeometry();
    const QSize size = window.sizeHint().expandedTo(window.minimumSizeHint());
    const QPoint places[] = {{frame.right() + 1, frame.top()},
                             {frame.left(), frame.bottom() + 1},
                             {frame.left() - size.width(), frame.top()},
                             {frame.left(), frame.top() - size.height()},
                             {area.right() + 1 - size.width(), area.bottom() + 1 - size.height()},
                             {area.right() + 1 - size.width(), area.top()}};
    QRect best;
    long long leastCovered = -1;
    for (const QPoint& place : places) {
        QRect candidate(place, size);
        candidate.moveLeft(std::clamp(candidate.left(), area.left(),
                                      std::max(area.left(), area.right() + 1 - size.width())));
        candidate.moveTop(std::clamp(candidate.top(), area.top(),
                                     std::max(area.top(), area.bottom() + 1 - size.height())));
        const QRect covered = candidate.intersected(frame);
        const long long coveredArea = static_cast<long long>(covered.width()) * covered.height();
        if (leastCovered < 0 || coveredArea < leastCovered) {
            best = candidate;
            leastCovered = coveredArea;
        }
    }
    // move() places the window's frame, as the owner's frame was measured.
    window.resize(size);
    window.move(best.topLeft());
}

void PulseEditorPlacement::Save(PulseEditor& form, const QWidget& window,
                                const QTableWidget& table) {
    const QRect frame = window.geometry();
    form.StorePlacement({frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1},
                        {table.columnWidth(0), table.columnWidth(1), table.columnWidth(2), 0});
}
