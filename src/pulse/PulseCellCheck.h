#pragma once

#include "pulse/PulseSection.h"

#include <optional>
#include <string>
#include <vector>

// The checks that the end of an in-place edit of a table cell passes, in their order,
// before anything is written. Times are compared as shown (in the section's unit).
struct PulseCellCheck {
    TrainStyle train = TrainStyle::TimeLevelPoints;
    double levelLow = 0.0;
    double levelHigh = 0.0;
    double shownStart = 0.0;  // the section's Start x scale
    double shownSample = 0.0; // one sample period at the highest clock, x scale
    // The shown times of the table's lines (nullopt for an empty cell), the edited one too.
    std::vector<std::optional<double>> shownTimes;

    // 0 when the text is accepted, else the id of the message that refuses it (980 to
    // 991). `line` is 0-based, `column` 1 (time) or 2 (level).
    int Refusal(int line, int column, const std::string& text) const;
    // The number of an accepted text; nullopt when it holds none.
    static std::optional<double> NumberOf(const std::string& text);
    // The text without blanks around it, as it is stored.
    static std::string Trimmed(const std::string& text);

private:
    int TimeOrder(int line, double value) const;
};
