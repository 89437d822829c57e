#pragma once

#include "ui/GeneratorDialogWidget.h"

#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;
class WaveDoc;
class WaveParamDialog;

// The face of a generator's parameter dialog: it builds its fields from the form (anchor
// group, level group, the waveform's parameters), mirrors the form's texts and forwards
// Preview, Default, OK and Cancel to it. Long generations show a progress dialog.
class WaveParamDialogWidget : public GeneratorDialogWidget {
    Q_OBJECT
public:
    WaveParamDialogWidget(WaveParamDialog& form, QWidget* parent = nullptr);

    // The Wave menu (the waveform kinds) as the main frame calls it: builds the command's form on
    // the document, runs its dialog modally and destroys both. True when OK committed a new
    // waveform (Undo is then enabled); false on Cancel and for ids that are not Wave
    // commands. The pulse designer does not offer them (its frame mode refuses them).
    static bool RunWaveCommand(QWidget* parent, WaveDoc& document, int commandId);

    // Field k of the form (an edit, or the check box of an "Inv" key).
    QLineEdit* Edit(int index) const { return edits_[index]; }
    QCheckBox* CheckBox(int index) const { return checks_[index]; }

private:
    void BuildLayout();
    QWidget* BuildGroup(const QString& title, const std::vector<int>& fields);
    void Refresh() override;
    void PlaceDialog();

    WaveParamDialog& form_;
    std::vector<QLineEdit*> edits_;
    std::vector<QCheckBox*> checks_;
};
