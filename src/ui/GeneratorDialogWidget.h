#pragma once

#include <QDialog>

class WaveGeneratorForm;

// What the faces of the generator dialogs and of the equation editor share: Preview,
// Default, OK and Cancel are forwarded to the form, long generations show a progress
// dialog, and the widgets show the form's texts again afterwards.
class GeneratorDialogWidget : public QDialog {
    Q_OBJECT
public:
    GeneratorDialogWidget(WaveGeneratorForm& form, QWidget* parent);

public slots:
    void Preview();
    void RestoreDefaults();
    void accept() override;
    void reject() override;

protected:
    // Shows the form's texts in the widgets (signals blocked while doing so).
    virtual void Refresh() = 0;
    // Puts the dialog at a position OK stored. The position is that of the dialog's own
    // area, not of the window manager's frame around it: the frame is not known before the
    // dialog is shown, so a frame position would come back off by the frame at every OK.
    void PlaceAt(int left, int top);

private:
    WaveGeneratorForm& generator_;
};
