#include "ui/FrameStatusBar.h"

#include "ui/StatusLabel.h"

#include <QLabel>

#include <algorithm>

FrameStatusBar::FrameStatusBar(QWidget* parent) : QStatusBar(parent) {
    statusText_ = new StatusLabel(this);
    statusText_->setText(tr("Ready"));
    // "Ready" and the start of a command's prompt stay; the render's text gives way first.
    statusText_->SetLeastCharacters(24);
    statusText_->setObjectName(QStringLiteral("statusText"));
    addWidget(statusText_, 1);
    // The cursor's point and value have their own place, so that a drawing mode's prompt
    // stays readable while the mouse draws.
    positionText_ = new QLabel(this);
    positionText_->setObjectName(QStringLiteral("positionText"));
    positionText_->setContentsMargins(0, 0, positionText_->fontMetrics().averageCharWidth() * 2, 0);
    addPermanentWidget(positionText_);
    // Beside the prompt, sharing its room: a long notice must never widen the window.
    downloadText_ = new QLabel(this);
    downloadText_->setObjectName(QStringLiteral("downloadNotice"));
    downloadText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    downloadText_->hide();
    addWidget(downloadText_, 8);
    renderText_ = new StatusLabel(this);
    renderText_->setObjectName(QStringLiteral("pulseRenderText"));
    renderText_->SetDescription(tr("Sample clock and form of the last pulse render"));
    addPermanentWidget(renderText_);
    contextText_ = new QLabel(this);
    contextText_->setObjectName(QStringLiteral("contextText"));
    contextText_->setToolTip(tr("Instrument family, active channel and segment"));
    addPermanentWidget(contextText_);
}

void FrameStatusBar::ShowPrompt(const QString& text) {
    statusText_->setText(text.isEmpty() ? tr("Ready") : text);
}

// While the cursor is on the plot the position keeps a steady width (wider only for a
// longer text, such as the pulse designer's time and level, which is never cut off); off
// the plot it takes no room from the prompts of the menus and buttons.
void FrameStatusBar::ShowPosition(const QString& text) {
    const QFontMetrics metrics = positionText_->fontMetrics();
    const int steady = std::max(metrics.horizontalAdvance(QStringLiteral("Point 16000000   "
                                                                         "Value -8192")),
                                metrics.horizontalAdvance(text)) +
                       positionText_->contentsMargins().right();
    positionText_->setMinimumWidth(text.isEmpty() ? 0 : steady);
    positionText_->setText(text);
}

void FrameStatusBar::ShowPulseRender(const QString& text) {
    renderText_->setText(text);
}

void FrameStatusBar::ShowDownloadNotice(const QString& text) {
    const QString notice = text.isEmpty() ? QString() : tr("Download: %1").arg(text);
    downloadText_->setText(notice);
    downloadText_->setToolTip(notice);
    downloadText_->setVisible(!notice.isEmpty());
}

void FrameStatusBar::ShowContext(const QStringList& parts) {
    const QString text = parts.join(QStringLiteral("  \u00b7  "));
    if (contextText_->text() != text) {
        contextText_->setText(text);
    }
}
