#include "ui/StatusLabel.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

// The eliding itself measures in fractions of a pixel and may shorten a text that the
// whole-pixel width the label asked for just holds.
QString StatusLabel::ShownText() const {
    const int room = contentsRect().width();
    if (fontMetrics().horizontalAdvance(text()) <= room) {
        return text();
    }
    return fontMetrics().elidedText(text(), Qt::ElideRight, room);
}

QSize StatusLabel::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    const int whole = fontMetrics().horizontalAdvance(text());
    const int least = std::min(whole, fontMetrics().averageCharWidth() * leastCharacters_);
    return {least + margins.left() + margins.right(), QLabel::minimumSizeHint().height()};
}

bool StatusLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QString tip = ShownText() == text() ? description_ : text();
        if (tip.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
        }
        return true;
    }
    return QLabel::event(event);
}

void StatusLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine,
                     ShownText());
}
