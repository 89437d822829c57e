#pragma once

#include <array>
#include <string>

class ViewGeometry;

// The number styles of the axes, by operating mode.
enum class AxisStyle { Standard, Fm, Pulse };

struct AxisLabel {
    double value = 0.0;
    int pixel = 0; // x of a horizontal label, y of a vertical one
    std::string text;
};

// Where one text under the horizontal axis stands, in pixels.
struct AxisTextSpan {
    int left = 0;
    int width = 0;
    bool shown = false;
};

// The four equal divisions of each axis over its visible range (labels at 0, 1/4, 1/2,
// 3/4 and 1 of the range) with their texts and the two unit captions. In the FM view every
// division keeps its label, a frequency with the digits that tell it from its neighbours;
// elsewhere, where neighbouring labels would show the same text, only the one whose value
// the text states best shows it.
struct AxisLabels {
    std::array<AxisLabel, 5> horizontal;
    std::array<AxisLabel, 5> vertical;
    std::string horizontalUnit;
    std::string verticalUnit;

    // timeUnitName: the caption of the pulse view's time axis, the pulse editor's unit.
    static AxisLabels Compute(const ViewGeometry& geometry, AxisStyle style,
                              const std::string& timeUnitName = "sec");

    // A frequency of the FM vertical axis: scientific notation with max(8 - n, 1)
    // decimals, n being the first power 1..7 at which value / 10^n has a fractional part
    // above 0.1 (8 when none has).
    static std::string FrequencyText(double value);
    // Other labels outside pulse mode: the value truncated toward zero, "%g".
    static std::string WholeText(double value);
    // Pulse mode: the compact number format.
    static std::string CompactText(double value);

    // The texts under the horizontal axis, each `widths[k]` pixels wide: centred under
    // their ticks, the end ones moved inwards to stay `margin` inside left .. right (a text
    // flush with the window's edge loses the edge of its first or last figure). Where two
    // shown texts would come closer than `gap`, every second one is left out, then all but
    // the two ends, then all but the first: long texts at deep zoom or in a narrow window
    // never run into each other. Empty texts are never shown; the ticks and the grid keep
    // their four divisions whatever is left out.
    static std::array<AxisTextSpan, 5> PlaceAcross(const std::array<AxisLabel, 5>& labels,
                                                   const std::array<int, 5>& widths, int left,
                                                   int right, int margin, int gap);
};
