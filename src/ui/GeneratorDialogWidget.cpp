#include "ui/GeneratorDialogWidget.h"

#include "synthesis/WaveGeneratorForm.h"
#include "ui/GenerationProgress.h"

GeneratorDialogWidget::GeneratorDialogWidget(WaveGeneratorForm& form, QWidget* parent)
    : QDialog(parent), generator_(form) {}

void GeneratorDialogWidget::Preview() {
    GenerationProgress progress(this);
    generator_.Preview(progress.Callback());
    Refresh();
}

void GeneratorDialogWidget::RestoreDefaults() {
    generator_.Default();
    Refresh();
}

void GeneratorDialogWidget::PlaceAt(int left, int top) {
    adjustSize();
    setGeometry(QRect(QPoint(left, top), size()));
}

void GeneratorDialogWidget::accept() {
    const QPoint corner = geometry().topLeft();
    generator_.SetScreenPosition(corner.x(), corner.y());
    GenerationProgress progress(this);
    if (generator_.Ok(progress.Callback())) {
        QDialog::accept();
    } else {
        Refresh();
    }
}

void GeneratorDialogWidget::reject() {
    generator_.Cancel();
    QDialog::reject();
}
