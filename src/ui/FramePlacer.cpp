#include "ui/FramePlacer.h"

#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "ui/FramePlacement.h"
#include "ui/ScreenFit.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

namespace {

constexpr int kBarStateVersion = 1;
constexpr int kMinimumHeightExtra = 50;

} // namespace

FramePlacer::FramePlacer(QMainWindow& window, const PlacementKeys& keys)
    : window_(window), keys_(keys) {}

void FramePlacer::ApplyMinimumSize(ProfileStore& store) {
    const std::string text = store.ReadHostValue("DrawRect", "minSMrct");
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    int width = 0;
    int height = 0;
    if (!ReadLeadingInt(cursor, end, width) || !ReadLeadingInt(cursor, end, height)) {
        width = 0;
        height = 0;
    }
    window_.setMinimumSize(qMax(width, 0), qMax(height, 0) + kMinimumHeightExtra);
}

void FramePlacer::Restore() {
    const FramePlacement placement(keys_);
    const WindowRect rect = placement.ReadRect();
    window_.restoreState(
        QByteArray::fromBase64(QByteArray::fromStdString(placement.ReadBarState())),
        kBarStateVersion);
    const QRect wanted(rect.left, rect.top, rect.Width(), rect.Height());
    const QScreen* target = QGuiApplication::screenAt(wanted.center());
    normalRect_ = ScreenFit::Fitted(
        wanted,
        (target != nullptr ? target : QGuiApplication::primaryScreen())->availableGeometry(),
        window_.minimumSize(), ScreenFit::FrameAllowance());
    window_.move(normalRect_.topLeft());
    window_.resize(normalRect_.size());
}

void FramePlacer::Show() {
    const FramePlacement placement(keys_);
    if (placement.ReadMinimized()) {
        window_.setWindowState(placement.ReadMaximized() ? Qt::WindowMinimized | Qt::WindowMaximized
                                                         : Qt::WindowMinimized);
        window_.show();
    } else if (placement.ReadMaximized()) {
        window_.showMaximized();
    } else {
        window_.show();
    }
}

void FramePlacer::Remember() {
    const Qt::WindowStates away = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if ((window_.windowState() & away) == 0) {
        normalRect_ = QRect(window_.pos(), window_.size());
    }
}

void FramePlacer::Save() const {
    if (!normalRect_.isValid()) {
        return; // never placed: nothing worth remembering
    }
    const FramePlacement placement(keys_);
    placement.Write({normalRect_.left(), normalRect_.top(),
                     normalRect_.left() + normalRect_.width(),
                     normalRect_.top() + normalRect_.height()},
                    (window_.windowState() & Qt::WindowMaximized) != 0);
    placement.WriteBarState(window_.saveState(kBarStateVersion).toBase64().toStdString());
}
