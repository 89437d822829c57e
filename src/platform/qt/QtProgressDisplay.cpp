#include "platform/qt/QtProgressDisplay.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>

namespace {
constexpr int kSteps = 1000;
} // namespace

QtProgressDisplay::QtProgressDisplay(QWidget* parent, QString caption, QString what, int delayMs)
    : parent_(parent), caption_(std::move(caption)), what_(std::move(what)), delayMs_(delayMs) {
    timer_.start();
}

QtProgressDisplay::~QtProgressDisplay() {
    delete dialog_;
}

void QtProgressDisplay::ShowDialog() {
    dialog_ = new QProgressDialog(what_ + QStringLiteral("..."), QStringLiteral("Cancel"), 0,
                                  kSteps, parent_);
    dialog_->setWindowTitle(caption_);
    // Application-modal: no command may start while the work runs inside this one.
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->show();
}

bool QtProgressDisplay::Report(double done) {
    if (!dialog_ && timer_.elapsed() >= delayMs_) {
        ShowDialog();
    }
    if (!dialog_) {
        // Repaints only: a click must not reach the window while the work runs.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    }
    dialog_->setValue(static_cast<int>(std::clamp(done, 0.0, 1.0) * kSteps));
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}
