#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// How the items of a section are read: as flat steps, as nodes of a polyline, or as pulse
// templates with loop counts. The stored "Train" value is the enumerator's number.
enum class TrainStyle { DcIntervals = 0, TimeLevelPoints = 1, PulseSequence = 2 };

// Every name a train style goes by, on screen, in the design file and in scripts.
struct TrainStyleNames {
    TrainStyle style;
    const char* word;        // the command line's and the Python module's name ("dc")
    const char* caption;     // the editor's radio button
    const char* titleName;   // the editor's title: "<given as: ...>"
    const char* itemPrefix;  // the keys of its items: <prefix><item>-sub<column>
    const char* timeColumn;  // the table's column titles
    const char* levelColumn; //
    const char* timeHint;    // the cell hints: "Click on the field to edit the <...> value."
    const char* levelHint;   //
};

class PulseTrainStyles {
public:
    // A missing or unusable stored "Train" reads as this style.
    static constexpr TrainStyle kDefault = TrainStyle::TimeLevelPoints;

    // In the order of their stored numbers.
    static std::span<const TrainStyleNames> All();
    static const TrainStyleNames& Of(TrainStyle style);
    static std::optional<TrainStyle> Named(std::string_view word);
    // The stored number of a style, and back (kDefault for a number that is none).
    static int Stored(TrainStyle style) { return static_cast<int>(style); }
    static TrainStyle FromStored(int number);
    // The words joined: "dc|points|sequence" with ("|", "|"), "dc, points or sequence" with
    // (", ", " or ").
    static std::string Words(std::string_view separator, std::string_view lastSeparator);
};
