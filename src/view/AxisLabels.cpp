#include "view/AxisLabels.h"

#include "settings/NumberFormat.h"
#include "settings/TextFormat.h"
#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kLabelLength = 39;

std::string Limited(std::string text) {
    if (text.size() > kLabelLength) {
        text.resize(kLabelLength);
    }
    return text;
}

std::string Tidied(const char* format, double value) {
    std::string text = CrtFormat(format, value);
    StripExponentZeros(text);
    return Limited(text);
}

// At deep zoom the number formats give neighbouring labels the same text (100, 100.25 and
// 100.5 all read "100"; 105 MHz and 110 MHz both "1.1e8"). Of such a run only the label whose
// value its text states best keeps the text, so that no tick claims a value that lies at
// another; the ticks and the grid stay.
void BlankRepeats(std::array<AxisLabel, 5>& labels) {
    std::size_t first = 0;
    while (first < labels.size()) {
        std::size_t end = first + 1;
        while (end < labels.size() && labels[end].text == labels[first].text) {
            ++end;
        }
        const double stated = LeadingDouble(labels[first].text);
        std::size_t kept = first;
        for (std::size_t k = first + 1; k < end; ++k) {
            if (std::fabs(labels[k].value - stated) < std::fabs(labels[kept].value - stated)) {
                kept = k;
            }
        }
        for (std::size_t k = first; k < end; ++k) {
            if (k != kept) {
                labels[k].text.clear();
            }
        }
        first = end;
    }
}

// The sets of labels tried in turn, as bits of the label indexes.
constexpr unsigned kThinnings[] = {0b11111, 0b10101, 0b10001, 0b00001};

bool ApartEnough(const std::array<AxisTextSpan, 5>& spans, int gap) {
    const AxisTextSpan* before = nullptr;
    for (const AxisTextSpan& span : spans) {
        if (!span.shown) {
            continue;
        }
        if (before != nullptr && before->left + before->width + gap > span.left) {
            return false;
        }
        before = &span;
    }
    return true;
}

// The digits after the point of an FM frequency: max(8 - n, 1), n being the first power
// 1..7 at which value / 10^n has a fractional part above 0.1 (8 when none has).
int FrequencyDecimals(double value) {
    int n = 8;
    for (int power = 1; power <= 7; ++power) {
        const double scaled = value / std::pow(10.0, power);
        if (std::fabs(scaled - std::trunc(scaled)) > 0.1) {
            n = power;
            break;
        }
    }
    return std::max(8 - n, 1);
}

std::string FrequencyTextWith(double value, int decimals) {
    const std::string format = "%." + std::to_string(decimals) + "e";
    return Tidied(format.c_str(), value);
}

// True when the value a text states lies nearer to the label's own value than to any
// other label's.
bool StatesItsOwnValue(const std::array<AxisLabel, 5>& labels, std::size_t k, double stated) {
    const double own = std::fabs(stated - labels[k].value);
    for (std::size_t other = 0; other < labels.size(); ++other) {
        if (labels[other].value != labels[k].value &&
            std::fabs(stated - labels[other].value) <= own) {
            return false;
        }
    }
    return true;
}

// The FM frequencies keep their digits, but a label whose text would state another
// tick's value as well as its own (1.05e9 beside 1.1e9 both read "1.1e9") takes more, one
// at a time, until it tells its own tick: every grid line keeps a label of its own.
void WidenFrequencies(std::array<AxisLabel, 5>& labels) {
    constexpr int kMostDecimals = 16; // 17 significant digits tell any two doubles apart
    for (std::size_t k = 0; k < labels.size(); ++k) {
        int decimals = FrequencyDecimals(labels[k].value);
        while (decimals < kMostDecimals &&
               !StatesItsOwnValue(labels, k, LeadingDouble(labels[k].text))) {
            labels[k].text = FrequencyTextWith(labels[k].value, ++decimals);
        }
    }
}

} // namespace

std::array<AxisTextSpan, 5> AxisLabels::PlaceAcross(const std::array<AxisLabel, 5>& labels,
                                                    const std::array<int, 5>& widths, int left,
                                                    int right, int margin, int gap) {
    std::array<AxisTextSpan, 5> spans;
    for (std::size_t k = 0; k < spans.size(); ++k) {
        const int width = widths[k];
        spans[k].width = width;
        spans[k].left = std::max(left + margin,
                                 std::min(labels[k].pixel - width / 2, right + 1 - margin - width));
    }
    for (unsigned kept : kThinnings) {
        for (std::size_t k = 0; k < spans.size(); ++k) {
            spans[k].shown = (kept >> k & 1U) != 0 && !labels[k].text.empty();
        }
        if (ApartEnough(spans, gap)) {
            break;
        }
    }
    return spans;
}

std::string AxisLabels::FrequencyText(double value) {
    return FrequencyTextWith(value, FrequencyDecimals(value));
}

std::string AxisLabels::WholeText(double value) {
    // A whole number has no sign of its own at zero: -0.5 is written "0".
    return Tidied("%g", std::trunc(value) + 0.0);
}

std::string AxisLabels::CompactText(double value) {
    return Limited(FormatCompact(value));
}

AxisLabels AxisLabels::Compute(const ViewGeometry& geometry, AxisStyle style,
                               const std::string& timeUnitName) {
    AxisLabels labels;
    switch (style) {
    case AxisStyle::Fm:
        labels.horizontalUnit = "Points";
        labels.verticalUnit = "Hz";
        break;
    case AxisStyle::Pulse:
        labels.horizontalUnit = timeUnitName;
        labels.verticalUnit = "Volt";
        break;
    case AxisStyle::Standard:
        labels.horizontalUnit = "Points";
        labels.verticalUnit = "Points";
        break;
    }
    const double xStep = (geometry.Xmax() - geometry.Xmin()) / 4.0;
    const double vStep = (geometry.Vmax() - geometry.Vmin()) / 4.0;
    for (int k = 0; k < 5; ++k) {
        AxisLabel& across = labels.horizontal[k];
        across.value = geometry.Xmin() + k * xStep;
        across.pixel = geometry.XToPixel(across.value);
        AxisLabel& up = labels.vertical[k];
        up.value = geometry.Vmin() + k * vStep;
        up.pixel = geometry.YToPixel(up.value);
        switch (style) {
        case AxisStyle::Pulse:
            across.text = CompactText(across.value);
            up.text = CompactText(up.value);
            break;
        case AxisStyle::Fm:
            across.text = WholeText(across.value + 0.5);
            up.text = FrequencyText(up.value);
            break;
        case AxisStyle::Standard:
            across.text = WholeText(across.value);
            up.text = WholeText(up.value);
            break;
        }
    }
    if (style == AxisStyle::Fm) {
        // Every grid line of the FM view is labelled: the points keep their whole numbers
        // even where a deep zoom repeats them, the frequencies take the digits they need.
        WidenFrequencies(labels.vertical);
    } else {
        BlankRepeats(labels.horizontal);
        BlankRepeats(labels.vertical);
    }
    return labels;
}
