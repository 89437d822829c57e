#pragma once

#include <QDialog>

class PulseEditor;
class PulseItemTable;
class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The face of the pulse editor: a modeless window over the core form that shows the
// active section as a table of items with its time unit, repeat count, start, duration
// and train style, and forwards every user action to the form. It never closes on Esc or
// Enter; closing it only hides it. Its rectangle and column widths are kept in the
// registry by the form.
class PulseEditorWidget : public QDialog {
    Q_OBJECT
public:
    PulseEditorWidget(PulseEditor& form, QWidget* parent);
    ~PulseEditorWidget() override;

    PulseItemTable* Table() const { return table_; }
    // Shows the form's state again: title, table, fields and the commands' enabling.
    void Refresh();

signals:
    // The design changed (the view redraws it).
    void DesignChanged();
    // The selected table line changed (the view marks it).
    void SelectedLineChanged(int line);
    void VisibilityChanged();

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildMenu();
    QWidget* BuildSideControls();
    QWidget* BuildTrainStyles();
    QWidget* BuildLineButtons();
    QPushButton* MakeButton(const QString& text, const char* name);
    void RefreshEnabling();
    void AfterChange();
    void StoreCell(int line, int column, const QString& text);
    void ChangeTrain(int style);
    void ChangeUnit(int unit);
    void ApplyRepeat();
    void RunLineCommand(int command);
    void RunSectionCommand(int command);
    void ShowHint(int column);
    void OpenOptions();

    PulseEditor& form_;
    PulseItemTable* table_ = nullptr;
    QLabel* status_ = nullptr;
    QComboBox* units_ = nullptr;
    QLineEdit* repeat_ = nullptr;
    QPushButton* apply_ = nullptr;
    QLabel* start_ = nullptr;
    QLineEdit* duration_ = nullptr;
    QButtonGroup* styles_ = nullptr;
    QPushButton* append_ = nullptr;
    QPushButton* insert_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* clear_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    bool placed_ = false;
};
