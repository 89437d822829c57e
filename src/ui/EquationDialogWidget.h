#pragma once

#include "ui/GeneratorDialogWidget.h"

#include <array>

class EquationDialog;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The face of the Equation Editor: the range and level fields, the equation with its list
// of stored equations, the level adjuster and the help panel on the language. Every
// action goes to the form; the widgets only show its state.
class EquationDialogWidget : public GeneratorDialogWidget {
    Q_OBJECT
public:
    EquationDialogWidget(EquationDialog& form, QWidget* parent = nullptr);

    QLineEdit* Edit(int index) const { return edits_[index]; }
    QComboBox* Equation() const { return equation_; }
    QWidget* HelpPanel() const { return helpPanel_; }

private:
    QWidget* BuildFieldGroup(const QString& title, std::initializer_list<int> fields);
    QWidget* BuildAdjuster();
    QWidget* BuildEquationRow();
    QWidget* BuildHelpPanel();
    QPushButton* AddButton(const QString& text, const QString& name);
    void Refresh() override;

    EquationDialog& form_;
    std::array<QLineEdit*, 5> edits_{};
    QComboBox* equation_ = nullptr;
    QRadioButton* manual_ = nullptr;
    QRadioButton* auto_ = nullptr;
    QPushButton* scale_ = nullptr;
    QPushButton* help_ = nullptr;
    QWidget* helpPanel_ = nullptr;
};
