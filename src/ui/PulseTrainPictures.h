#pragma once

#include <QIcon>
#include <QSize>

// The small pictures beside the train-style buttons of the pulse editor, drawn in code:
// a staircase (DC Intervals), a polyline through dots (Time/Level Points) and a row of
// pulses (Pulse Sequence).
class PulseTrainPictures {
public:
    static constexpr QSize kSize{36, 18};

    // Style 0, 1 or 2.
    static QIcon Of(int style);
};
