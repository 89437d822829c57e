#pragma once

#include "settings/IniFile.h"

#include <string>
#include <vector>

// The context a host writes before it starts the tool, with values chosen from the
// family file's ranges so that every mode starts without a complaint: the sample clock
// lies strictly inside its range (it is the FM base), the FM deviation is a tenth of the
// base, lengths and segments are the family's own.
class ContextDefaults {
public:
    struct Section {
        std::string name;
        IniEntries entries;
    };

    static std::vector<Section> ForFamily(const std::string& family, const std::string& familyFile,
                                          int channels = 2);

    // Fields of a parameter line ("SCLK 1e9 1e6 1.25e9"): index 0 is the first word.
    static double ParameterField(const std::string& line, int index, double fallback);
    // "1e+009" -> "1e9": how the tool itself writes numbers back.
    static std::string FormatNumber(double value);
};
