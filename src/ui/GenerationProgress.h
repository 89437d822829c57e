#pragma once

#include "platform/qt/QtProgressDisplay.h"
#include "synthesis/WaveGenerator.h"

class QWidget;

// The progress of a long generation, shown as every long piece of work is (nothing for the
// first half second, then a modal dialog with Cancel). Hand Callback() to the form's Preview
// or OK; a Cancel makes the form put the samples back as they were before the generation.
class GenerationProgress : public QtProgressDisplay {
public:
    explicit GenerationProgress(QWidget* parent, int delayMs = kDelayMs);

    ProgressCallback Callback();
};
