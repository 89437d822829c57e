#include "ui/PulseEditorPlacement.h"

#include "pulse/PulseEditor.h"

#include <QTableWidget>

void PulseEditorPlacement::Restore(const PulseEditor& form, QWidget& window, QTableWidget& table) {
    if (const auto rect = form.StoredPlacement()) {
        const auto& [left, top, right, bottom] = *rect;
        if (right > left && bottom > top) {
            window.setGeometry(left, top, right - left, bottom - top);
        }
    }
    if (const auto widths = form.StoredColumnWidths()) {
        for (int column = 0; column < 3; ++column) {
            if ((*widths)[static_cast<std::size_t>(column)] > 0) {
                table.setColumnWidth(column, (*widths)[static_cast<std::size_t>(column)]);
            }
        }
    }
}

void PulseEditorPlacement::Save(PulseEditor& form, const QWidget& window,
                                const QTableWidget& table) {
    const QRect frame = window.geometry();
    form.StorePlacement({frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1},
                        {table.columnWidth(0), table.columnWidth(1), table.columnWidth(2), 0});
}
