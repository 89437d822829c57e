#include "ui/GenerationProgress.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {
constexpr int kSteps = 1000;
} // namespace

GenerationProgress::GenerationProgress(QWidget* parent, int delayMs)
    : parent_(parent), delayMs_(delayMs) {
    timer_.start();
}

GenerationProgress::~GenerationProgress() {
    delete dialog_;
}

ProgressCallback GenerationProgress::Callback() {
    return [this](double done) { return Report(done); };
}

void GenerationProgress::ShowDialog() {
    dialog_ = new QProgressDialog(QStringLiteral("Generating the waveform..."),
                                  QStringLiteral("Cancel"), 0, kSteps, parent_);
    dialog_->setWindowTitle(QStringLiteral("Wavesmith"));
    // Application-modal, so that no button of the generator dialog can start a second
    // generation while this one runs.
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->show();
}

bool GenerationProgress::Report(double done) {
    if (!dialog_ && timer_.elapsed() >= delayMs_) {
        ShowDialog();
    }
    if (!dialog_) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    }
    dialog_->setValue(static_cast<int>(done * kSteps));
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}
