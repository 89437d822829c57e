#pragma once

class PulseEditor;
class QTableWidget;
class QWidget;

// Where the pulse editor's window was left and how wide its table's columns were: four
// integers each (the rectangle's left, top, right and bottom; three column widths and a
// spare), kept by the form in the registry. A stored rectangle without area, or a column
// width that is not positive, is ignored.
class PulseEditorPlacement {
public:
    static void Restore(const PulseEditor& form, QWidget& window, QTableWidget& table);
    static void Save(PulseEditor& form, const QWidget& window, const QTableWidget& table);
};
