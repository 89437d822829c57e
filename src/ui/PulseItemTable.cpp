#include "ui/PulseItemTable.h"

#include "ui/InPlaceListField.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

PulseItemTable::PulseItemTable(QWidget* parent) : QTableWidget(0, 3, parent) {
    setObjectName(QStringLiteral("pulseTable"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    field_ = new InPlaceListField(this, viewport());
    field_->setObjectName(QStringLiteral("cellField"));
    field_->hide();
    field_->installEventFilter(this);
    connect(field_, &InPlaceListField::Finished, this, &PulseItemTable::EndEdit);
    connect(field_, &InPlaceListField::Stepped, this, &PulseItemTable::StepEdit);
}

void PulseItemTable::ShowLines(const std::vector<std::array<QString, 3>>& lines) {
    const int selected = SelectedLine();
    const QSignalBlocker blocker(this);
    setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < 3; ++column) {
            SetCellText(row, column, lines[static_cast<std::size_t>(row)][column]);
        }
    }
    if (selected >= 0 && selected < rowCount()) {
        SelectLine(selected);
    }
}

void PulseItemTable::SetCellText(int line, int column, const QString& text) {
    QTableWidgetItem* cell = item(line, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        setItem(line, column, cell);
    }
    cell->setText(text);
}

int PulseItemTable::SelectedLine() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.constFirst().topRow();
}

void PulseItemTable::SelectLine(int line) {
    if (line < 0 || line >= rowCount()) {
        clearSelection();
        return;
    }
    selectRow(line);
    setCurrentCell(line, 0);
}

void PulseItemTable::BeginEdit(int line, int column) {
    if (line < 0 || line >= rowCount() || column < 1 || column > 2) {
        return;
    }
    if (editing_) {
        EndEdit(false);
    }
    SelectLine(line);
    scrollToItem(item(line, column));
    editing_ = true;
    editLine_ = line;
    editColumn_ = column;
    field_->setGeometry(visualRect(model()->index(line, column)));
    const QTableWidgetItem* cell = item(line, column);
    emit EditStarted(line, column);
    field_->Begin(cell != nullptr ? cell->text() : QString());
}

// Enter, Escape and the loss of the focus all end here; the first of them wins (Enter
// also hands the focus back, which would end the same edit a second time).
void PulseItemTable::EndEdit(bool cancelled) {
    if (!editing_) {
        return;
    }
    editing_ = false;
    field_->hide();
    const QString text = field_->text();
    if (cancelled) {
        emit EditCancelled();
        return;
    }
    SetCellText(editLine_, editColumn_, text);
    emit CellEdited(editLine_, editColumn_, text);
}

// The text is handed on first: its check may refill the table (a refused text shows the
// stored value again) before the next cell opens. There is no cell before the first
// line's time or after the last line's level: there the edit just ends.
void PulseItemTable::StepEdit(bool forward) {
    if (!editing_) {
        return;
    }
    const int lastColumn = 2;
    const int firstColumn = 1;
    int line = editLine_;
    int column = editColumn_ + (forward ? 1 : -1);
    if (column > lastColumn) {
        ++line;
        column = firstColumn;
    } else if (column < firstColumn) {
        --line;
        column = lastColumn;
    }
    EndEdit(false);
    if (line >= 0 && line < rowCount()) {
        BeginEdit(line, column);
    } else {
        setFocus(Qt::TabFocusReason);
    }
}

bool PulseItemTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::FocusOut && editing_) {
        EndEdit(field_->Cancelled());
    }
    return QTableWidget::eventFilter(watched, event);
}

void PulseItemTable::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid() && index.column() > 0) {
        BeginEdit(index.row(), index.column());
    }
}

void PulseItemTable::mouseMoveEvent(QMouseEvent* event) {
    emit ColumnHovered(columnAt(event->position().toPoint().x()));
    QTableWidget::mouseMoveEvent(event);
}

void PulseItemTable::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Insert:
        if (SelectedLine() >= 0) {
            emit InsertKeyPressed();
        }
        return;
    case Qt::Key_Delete:
        if (SelectedLine() >= 0) {
            emit DeleteKeyPressed();
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept(); // the editor window never closes on them
        return;
    default:
        QTableWidget::keyPressEvent(event);
    }
}

void PulseItemTable::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    if (editing_) {
        field_->setGeometry(visualRect(model()->index(editLine_, editColumn_)));
    }
}
