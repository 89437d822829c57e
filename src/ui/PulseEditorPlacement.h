#pragma once

class PulseEditor;
class QTableWidget;
class QWidget;

// Where the pulse editor's window was left and how wide its table's columns were: four
// integers each (the rectangle's left, top, right and bottom; three column widths and a
// spare), kept by the form in the registry. A stored rectangle without area, or a column
// width that is not positive, is ignored. Without a stored rectangle the window goes
// where it covers the least of the main window.
class PulseEditorPlacement {
public:
    static void Restore(const PulseEditor& form, QWidget& window, QTableWidget& table);
    static void Save(PulseEditor& form, const QWidget& window, const QTableWidget& table);

private:
    static void PlaceBesideOwner(QWidget& window);
};
