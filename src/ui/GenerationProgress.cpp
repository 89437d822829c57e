#include "ui/GenerationProgress.h"

GenerationProgress::GenerationProgress(QWidget* parent, int delayMs)
    : QtProgressDisplay(parent, QStringLiteral("Wavesmith"),
                        QStringLiteral("Generating the waveform"), delayMs) {}

ProgressCallback GenerationProgress::Callback() {
    return [this](double done) { return Report(done); };
}
