#pragma once

#include "synthesis/WaveGenerator.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

class QWidget;

// The progress of a long generation: nothing for the first half second, then a modal
// progress dialog with Cancel. Hand Callback() to the form's Preview or OK; a Cancel makes
// the form put the samples back as they were before the generation.
class GenerationProgress {
public:
    explicit GenerationProgress(QWidget* parent, int delayMs = 500);
    ~GenerationProgress();
    GenerationProgress(const GenerationProgress&) = delete;
    GenerationProgress& operator=(const GenerationProgress&) = delete;

    ProgressCallback Callback();
    // False once the user has cancelled.
    bool Report(double done);
    bool DialogShown() const { return dialog_ != nullptr; }

private:
    void ShowDialog();

    QWidget* parent_;
    int delayMs_;
    QElapsedTimer timer_;
    QPointer<QProgressDialog> dialog_;
};
