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
    const QSize frameExtra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize room = available.size() - frameExtra;
    if (room.isEmpty()) {
        return wanted;
    }
    const QSize size(std::max(std::min(wanted.width(), room.width()), minimum.width()),
                     std::max(std::min(wanted.height(), room.height()), minimum.height()));
    // The corner is the frame's (as a window's move places it). Right and bottom edges first,
    // so that a window larger than the screen keeps its title bar and menus on it.
    const QSize outer = size + frameExtra;
    const int left =
        std::max(std::min(wanted.left(), available.right() + 1 - outer.width()), available.left());
    const int top =
        std::max(std::min(wanted.top(), available.bottom() + 1 - outer.height()), available.top());
    return QRect(QPoint(left, top), size);
}
