#pragma once

#include <QDialog>

class FmMarkersDialog;
struct AppServices;
class QComboBox;
class QRadioButton;
class QWidget;
class WaveDoc;

// The face of the "FM Markers Table" (dialog 139): the marker entry with its list, Add,
// Delete, Remove All, the Sort choice, Store & Update and Close. Every action goes to the
// form; the widgets only show its list. Closing the window in any way but Store & Update
// lets the form ask about unsaved changes.
class FmMarkersDialogWidget : public QDialog {
    Q_OBJECT
public:
    FmMarkersDialogWidget(FmMarkersDialog& form, QWidget* parent = nullptr);

    // The FM Markers command: the table of the document's FM function mode, run modally.
    // After Store & Update the marker bar and the marker positions are rebuilt and the
    // views updated. True when the markers were stored that way.
    static bool EditFmMarkers(QWidget* parent, WaveDoc& document, AppServices& services);

    QComboBox* Entry() const { return entry_; }

    void done(int result) override;

private:
    QWidget* BuildButtons();
    QWidget* BuildSortGroup();
    void ShowList();
    void OnAdd();
    void OnDelete();
    void OnRemoveAll();
    void OnStore();
    // The row of the list that is selected, or -1 when the edit text is not one of them.
    int SelectedRow() const;

    FmMarkersDialog& form_;
    QComboBox* entry_ = nullptr;
    QRadioButton* ascend_ = nullptr;
    QRadioButton* descend_ = nullptr;
    bool closing_ = false;
};
