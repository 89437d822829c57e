#pragma once

#include <QSizeF>
#include <QString>

#include <functional>

class QPainter;
class QPrinter;
class QWidget;

// Printing of a view through the page painter it hands over: one page with the plot,
// through the print preview (whose tool bar holds the page set-up and the print button) or
// straight to a PDF file. The waveform view and the pulse design view print alike.
class ViewPrinter {
public:
    // Lays out one page of the given size (in the painter's units) at the given resolution
    // in dots per inch.
    using PagePainter =
        std::function<void(QPainter& painter, const QSizeF& page, qreal resolution)>;

    explicit ViewPrinter(PagePainter paintPage) : paintPage_(std::move(paintPage)) {}

    // The Print command (32775): the preview dialog; printing is started from there.
    void PreviewAndPrint(QWidget* parent);
    // One landscape page into a PDF file. False when the file could not be written.
    bool PrintToPdf(const QString& path);

    static void SetUpPage(QPrinter& printer);

private:
    void PrintPage(QPrinter& printer);

    PagePainter paintPage_;
};
