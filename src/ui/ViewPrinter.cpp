#include "ui/ViewPrinter.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
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
                     [this](QPrinter* target) { PrintPage(*target); });
    preview.exec();
}

bool ViewPrinter::PrintToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPage(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    PrintPage(printer);
    return QFileInfo(path).size() > 0;
}

void ViewPrinter::PrintPage(QPrinter& printer) {
    QPainter painter(&printer);
    if (!painter.isActive()) {
        return;
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    paintPage_(painter, page.size(), printer.resolution());
}
