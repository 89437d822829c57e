#include "ui/ViewPrinter.h"

#include "ui/WaveView.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

void ViewPrinter::SetUpPage(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Waveform"));
}

void ViewPrinter::PreviewAndPrint(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPage(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("Print Waveform"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [this](QPrinter* target) { view_.Print(target); });
    preview.exec();
}

bool ViewPrinter::PrintWithDialog(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPage(printer);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    view_.Print(&printer);
    return true;
}

bool ViewPrinter::PrintToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPage(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    view_.Print(&printer);
    return QFileInfo(path).size() > 0;
}
