#pragma once

#include <QDialog>

class PulseOptions;
class QButtonGroup;
class QLineEdit;

// The face of the pulse options: the segmentation and memory radio groups bound to the
// form, and the controls that bind to nothing shown disabled with the reason as their
// tooltip. Opened modally from the pulse editor; OK hands the radio values to the form,
// which writes them, and Cancel leaves everything stored as it was.
class PulseOptionsWidget : public QDialog {
    Q_OBJECT
public:
    PulseOptionsWidget(PulseOptions& form, QWidget* parent);

    QButtonGroup* Segmentation() const { return segmentation_; }
    QButtonGroup* Memory() const { return memory_; }

public slots:
    void accept() override;
    void reject() override;

private:
    QWidget* BuildSegmentation();
    QWidget* BuildMemory();
    QWidget* BuildDcApproximation();

    PulseOptions& form_;
    QButtonGroup* segmentation_ = nullptr;
    QButtonGroup* memory_ = nullptr;
    QLineEdit* singleStepping_ = nullptr;
};
