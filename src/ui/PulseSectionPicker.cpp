#include "ui/PulseSectionPicker.h"

#include "ui/PulseDesignPicture.h"
#include "view/ViewGeometry.h"

#include <QFontMetrics>
#include <QString>

#include <algorithm>

void PulseSectionPicker::Place(const PulseDesignPicture& picture, const ViewGeometry& geometry,
                               const QFontMetrics& metrics) {
    labels_.clear();
    borders_.clear();
    const PixelRect& plot = geometry.Plot();
    const bool flat = picture.duration <= 0.0;
    int widest = 0;
    for (std::size_t k = 0; k < picture.sections.size(); ++k) {
        const int x = flat ? plot.left : geometry.XToPixel(picture.sections[k].start);
        borders_.push_back(x);
        if (!flat && !Visible(picture, k, geometry)) {
            labels_.emplace_back();
            continue;
        }
        const QString number = QString::number(k + 1);
        // The text extent plus one pixel each way, standing on the plot's top edge like a
        // tab (inside the plot when the view leaves no room above it), never past its right.
        const int height = metrics.height() + 2;
        const int top = plot.top - height >= 0 ? plot.top - height : plot.top + 1;
        QRect label(std::max(x, plot.left), top, metrics.horizontalAdvance(number) + 2, height);
        if (label.right() > plot.right) {
            label.moveRight(plot.right);
        }
        widest = std::max(widest, label.width());
        const QRect onTheEdge = label;
        if (!StepBelowOverlaps(label, widest)) {
            // No room: the label is left out, except the active one, which stays on the
            // edge over its neighbours.
            label = static_cast<int>(k) == picture.active ? onTheEdge : QRect();
        }
        labels_.push_back(label);
    }
}

// Borders never move left from one section to the next, so only the labels that start
// less than one label width before this one can overlap it.
bool PulseSectionPicker::StepBelowOverlaps(QRect& label, int widest) const {
    const int lowest = label.top() + (kRows - 1) * (label.height() + 2);
    bool moved = true;
    while (moved) {
        moved = false;
        for (auto it = labels_.rbegin(); it != labels_.rend(); ++it) {
            if (it->isNull()) {
                continue;
            }
            if (it->left() + widest < label.left()) {
                break;
            }
            if (it->intersects(label)) {
                label.moveTop(it->bottom() + 2);
                moved = true;
            }
        }
        if (label.top() > lowest) {
            return false;
        }
    }
    return true;
}

// A section is in view when it starts before the end of the visible time and the next one
// (or the end of the design) comes after its start; one that began earlier is labelled at
// the plot's left edge.
bool PulseSectionPicker::Visible(const PulseDesignPicture& picture, std::size_t k,
                                 const ViewGeometry& geometry) {
    const double start = picture.sections[k].start;
    const double next =
        k + 1 < picture.sections.size() ? picture.sections[k + 1].start : picture.duration;
    return start <= geometry.Xmax() && (next > geometry.Xmin() || start >= geometry.Xmin());
}

int PulseSectionPicker::SectionAt(const QPoint& point) const {
    for (std::size_t k = 0; k < labels_.size(); ++k) {
        if (!labels_[k].isNull() && labels_[k].contains(point)) {
            return static_cast<int>(k);
        }
    }
    return -1;
}
