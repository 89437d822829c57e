#pragma once

// Reads decimal numbers out of imported text as the C library's strtod does in the "C"
// locale (ParseLeadingDouble), without the hexadecimal forms and the words "inf" and
// "nan", which are not numbers in an imported waveform; whole numbers take a faster road
// to the same result.
class DecimalReader {
public:
    // Reads the number at first, which must not be white space. Returns the end of the
    // number, or nullptr when the text there does not start a number.
    static const char* Read(const char* first, const char* last, double& value);
};
