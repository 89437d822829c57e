#pragma once

#include <QFont>
#include <QRect>

class PulseSectionPicker;
class QPainter;
class ViewGeometry;
struct PulseDesignPicture;
struct PulseSectionPicture;

// Draws a pulse design in the view: the background and the rulers as in the standard
// view (time in the shown section's unit, volts), each section's curve with its repeats,
// the section borders, the numbered labels with the active one in red, "Empty" beside
// the label of a section without duration, and the mark of the editor's selected line.
// The mappings come from the view geometry and the labels from the picker; nothing is
// computed here that a click would need.
class PulseDesignRenderer {
public:
    struct Frame {
        QRect background;
        QFont labelFont;
        // The selected line is marked only while the editor window is visible.
        bool markVisible = false;
    };

    static void Paint(QPainter& painter, const Frame& frame, const ViewGeometry& geometry,
                      const PulseDesignPicture& picture, const PulseSectionPicker& labels);

private:
    static void PaintBorders(QPainter& painter, const ViewGeometry& geometry,
                             const PulseSectionPicker& labels);
    static void PaintCurve(QPainter& painter, const ViewGeometry& geometry,
                           const PulseSectionPicture& section);
    static void PaintMark(QPainter& painter, const ViewGeometry& geometry,
                          const PulseDesignPicture& picture);
    static void PaintLabels(QPainter& painter, const PulseDesignPicture& picture,
                            const PulseSectionPicker& labels, int plotLeft);
    static void PaintLabel(QPainter& painter, const PulseDesignPicture& picture,
                           const PulseSectionPicker& labels, int k, int plotLeft);
};
