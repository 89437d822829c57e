#pragma once

#include <optional>
#include <string>

class WaveDoc;
class UserInterface;

// The screen position of a generator dialog, as kept in the registry.
struct DialogPosition {
    int left = 0;
    int top = 0;
};

// The settings that the generator dialogs and the equation editor share: the defaults of
// the family file copied into the context file, the level range the fields are typed in,
// and the dialog position under "DrawRect".
class WaveGeneratorSettings {
public:
    WaveGeneratorSettings(WaveDoc& document, std::string defaultSection,
                          std::string parameterSection);

    const std::string& DefaultSection() const { return defaultSection_; }
    const std::string& ParameterSection() const { return parameterSection_; }

    // Copies every entry of the family's default section into the parameter section of
    // the context file: "Equ" whole, numbers as they stand, "WavLen", "Wavmin", "Wavmax"
    // as the values they stand for.
    void LoadParamDefaults();
    // Number of keys in the parameter section of the context file.
    std::size_t ParameterKeyCount() const;

    // "SmOrg" (FM: "FmsOrg") of subkey "DrawRect"; nullopt when empty or unreadable.
    std::optional<DialogPosition> ReadPosition() const;
    void WritePosition(const DialogPosition& position);

    // Six significant digits in the general format, exponent zeros stripped ("1e6").
    static std::string NumberText(double value);
    // The stored text of an anchor point: the six-digit text when it reads back as the
    // point itself, else the whole point number, so that a range beyond 999,999 points
    // still ends on its last point.
    static std::string PointText(double point, std::string sixDigitText);
    // Vlo..Vhi: the vertical code range, or the current FM window in the FM editor.
    static double LevelLow(WaveDoc& document);
    static double LevelHigh(WaveDoc& document);
    // start < end and Min <= Max, else message 3003 naming the pair that is wrong. The
    // four values are start, end, Min, Max.
    static bool CheckOrder(const double* values, UserInterface& ui);

private:
    std::string PositionValueName() const;

    WaveDoc& document_;
    std::string defaultSection_;
    std::string parameterSection_;
};
