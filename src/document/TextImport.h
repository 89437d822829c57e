#pragma once

#include "document/SampleBuffer.h"
#include "document/TextImportProblem.h"

#include <functional>
#include <string>

// The document's vertical code range: the lowest and the highest sample code.
struct CodeRange {
    double lowest = 0;
    double highest = 0;
};

// How far an import is, from 0 to 1, told after each large piece of the text; false stops
// the import as a Cancel does (the problem's kind is then Cancelled).
using ImportProgress = std::function<bool(double)>;

// Converts text files into binary waveform files beside them. A conversion returns the
// path of the binary file, or an empty path when the source cannot be read, its text is
// refused (`problem`, when given, then says where and why) or the result cannot be
// written. An existing binary file of that name is then left as it was.
class TextImport {
public:
    // Numbers separated by white space, to the end of the text; each truncated toward zero
    // to a 32-bit integer and stored as a 16-bit (Code16, ".wav": its low 16 bits) or
    // 32-bit (Code32, ".wvf") code, or kept as a 64-bit value (Hz64, ".wfm"). No scaling.
    // A word that is not a number, or a number beyond the 32-bit integers (beyond the
    // doubles for Hz64), refuses the text.
    static std::string ConvertSpaced(const std::string& path, SampleKind kind,
                                     TextImportProblem* problem = nullptr,
                                     const ImportProgress& progress = {});

    // Byte offset just after the first line that begins with "time" or "\"time" (case
    // ignored), 0 when there is none. Lines longer than 180 characters are looked at in
    // pieces of 180, as a reader with a 180-character line buffer sees them.
    static unsigned long long HeaderOffset(const std::string& path);

    // Records of two numbers (time or index, value) after the header, separated by
    // anything but digits, "+" and "-"; the values are scaled linearly from their own
    // range onto `range` (slope 1e20 when they are all equal) and truncated to 16-bit
    // codes (".wav"). Each value is first rounded to six significant digits as its "%g"
    // text reads; `scratchPath`, the scratch file of that text, is only removed should an
    // earlier run have left it. A line of the data with one number (or three),
    // or a number too large for a double, refuses the text; a line without numbers is
    // skipped.
    static std::string ConvertColumns(const std::string& path, const std::string& scratchPath,
                                      CodeRange range, TextImportProblem* problem = nullptr,
                                      const ImportProgress& progress = {});
};
