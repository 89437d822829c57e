#include "ui/ScreenFit.h"

#include <QGuiApplication>

#include <algorithm>

QMargins ScreenFit::FrameAllowance() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return {};
    }
    return {4, 30, 4, 4};
}

QRect ScreenFit::Fitted(const QRect& wanted, const QRect& available, const QSize& minimum,
                        const QMargins& frame) {
    const QRect room = available.marginsRemoved(frame);
    if (room.isEmpty()) {
        return wanted;
    }
    const QSize size(std::max(std::min(wanted.width(), room.width()), minimum.width()),
                     std::max(std::min(wanted.height(), room.height()), minimum.height()));
    // Right and bottom edges first, so that a window larger than the room keeps its top-left
    // corner (title bar and menus) on the screen.
    const int left =
        std::max(std::min(wanted.left(), room.right() + 1 - size.width()), room.left());
    const int top = std::max(std::min(wanted.top(), room.bottom() + 1 - size.height()), room.top());
    return QRect(QPoint(left, top), size);
}
