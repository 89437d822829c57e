#pragma once

#include <QRect>

#include <vector>

class QFontMetrics;
class ViewGeometry;
struct PulseDesignPicture;

// The section labels at the top of the pulse design view: one small rectangle per
// section, in section order, holding the section number. A click on a label picks its
// section.
//
// A label stands on the top edge of the plot at its section's border. Labels of sections that start
// at the same place (empty sections) would cover each other, so a label that would overlap the one
// before it steps down one row: every section stays reachable by the mouse.
class PulseSectionPicker {
public:
    // Lays the labels out for a picture in the given mappings and label font.
    void Place(const PulseDesignPicture& picture, const ViewGeometry& geometry,
               const QFontMetrics& metrics);

    const std::vector<QRect>& Labels() const { return labels_; }
    // The x of the border of each section (the plot's left edge when the design has no
    // duration).
    const std::vector<int>& Borders() const { return borders_; }
    // The first section whose label holds the point; -1 when none does.
    int SectionAt(const QPoint& point) const;

private:
    static constexpr int kRows = 4;

    bool StepBelowOverlaps(QRect& label, int widest) const;
    static bool Visible(const PulseDesignPicture& picture, std::size_t k,
                        const ViewGeometry& geometry);

    std::vector<QRect> labels_;
    std::vector<int> borders_;
};
