#pragma once

#include <string>

class SampleBuffer;
struct DecimalText;

// The text exports of a waveform. Both are written in binary mode with "\r\n" line ends,
// as the original platform's text streams write them, and replace the file only once
// complete; false when the file cannot be written (no message; `error` says why).
class TextExport {
public:
    // ".asc", ".asf", ".afm": every value as "%g" (six significant digits, three-digit
    // exponent), separated by single blanks, one line, no blank or line end at the end.
    static bool ExportSpaced(const SampleBuffer& samples, const std::string& path,
                             std::string* error = nullptr);
    // ".csv": "index, value" per point with the value as an integer, lines separated by
    // line ends, none after the last line.
    static bool ExportCsv(const SampleBuffer& samples, const std::string& path,
                          std::string* error = nullptr);

    // Writes "%g" of v exactly as CrtFormat("%g", v) does, but fast enough for millions
    // of values: at most kLongestGeneral characters from out; returns their end.
    static char* WriteGeneral(char* out, double v);
    // The same for a number read from text: its digits, when known, save the conversion.
    static char* WriteGeneral(char* out, double v, const DecimalText& text);
    static void AppendGeneral(std::string& out, double v);
    // The value the "%g" text of v reads back as (six significant digits), for a v read
    // from the text `text` describes; without writing the text where the digits tell it.
    static double GeneralValue(double v, const DecimalText& text);
    static constexpr int kLongestGeneral = 32;
};
