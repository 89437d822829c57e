#pragma once

#include "core/ProgressDisplay.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

class QWidget;

// Nothing for the first half second, then an application-modal progress dialog with
// Cancel, so that short work never flashes a window and long work can be stopped.
class QtProgressDisplay : public ProgressDisplay {
public:
    static constexpr int kDelayMs = 500;

    QtProgressDisplay(QWidget* parent, QString caption, QString what, int delayMs = kDelayMs);
    ~QtProgressDisplay() override;
    QtProgressDisplay(const QtProgressDisplay&) = delete;
    QtProgressDisplay& operator=(const QtProgressDisplay&) = delete;

    bool Report(double done) override;
    bool DialogShown() const { return dialog_ != nullptr; }

private:
    void ShowDialog();

    QPointer<QWidget> parent_;
    QString caption_;
    QString what_;
    int delayMs_;
    QElapsedTimer timer_;
    QPointer<QProgressDialog> dialog_;
};
