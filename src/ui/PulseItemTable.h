#pragma once

#include <QTableWidget>

#include <array>
#include <vector>

class InPlaceListField;

// The pulse editor's table of items: three columns (the line number, the time and the
// level), whole lines selected, and the time and level cells edited in place. A click
// on a time or level cell opens a field over the cell; Enter or a click elsewhere ends
// the edit and hands its text on, Escape drops it. Tab and Shift+Tab hand the text on and
// edit the next or the previous time or level cell, from the end of a line to the next. The Insert
// and Delete keys act only while a line is selected. The mouse over a column reports it, for the
// status hints.
class PulseItemTable : public QTableWidget {
    Q_OBJECT
public:
    explicit PulseItemTable(QWidget* parent = nullptr);

    // Fills the table with lines of three cell texts, keeping the selected line when it
    // still exists.
    void ShowLines(const std::vector<std::array<QString, 3>>& lines);
    // The selected line, -1 when none.
    int SelectedLine() const;
    void SelectLine(int line);
    bool Editing() const { return editing_; }
    InPlaceListField* Field() const { return field_; }
    // Starts an in-place edit of a cell (a click on it does the same).
    void BeginEdit(int line, int column);
    // Replaces one cell's text (a refused edit shows the stored value again).
    void SetCellText(int line, int column, const QString& text);

signals:
    void CellEdited(int line, int column, const QString& text);
    void InsertKeyPressed();
    void DeleteKeyPressed();
    void ColumnHovered(int column);
    void EditStarted(int line, int column);
    void EditCancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void EndEdit(bool cancelled);
    void StepEdit(bool forward);

    InPlaceListField* field_ = nullptr;
    bool editing_ = false;
    int editLine_ = -1;
    int editColumn_ = -1;
};
