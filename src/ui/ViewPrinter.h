#pragma once

#include <QString>

class QPrinter;
class QWidget;
class WaveView;

// Printing of the waveform view through its PaintPage: one page with the plot, through the print
// preview (whose tool bar holds the page set-up and the print button) or straight to a PDF file.
class ViewPrinter {
public:
    explicit ViewPrinter(WaveView& view) : view_(view) {}

    // The Print command (32775): the preview dialog; printing is started from there.
    void PreviewAndPrint(QWidget* parent);
    // One landscape page into a PDF file. False when the file could not be written.
    bool PrintToPdf(const QString& path);

    static void SetUpPage(QPrinter& printer);

private:
    void PrintPage(QPrinter& printer);

    WaveView& view_;
};
