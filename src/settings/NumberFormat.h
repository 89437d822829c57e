#pragma once

#include <string>
#include <string_view>
#include <vector>

// Number text exactly as the original platform's C library writes it, on every platform:
// exponents have at least three digits ("%g" of 1e6 is "1e+006"). `format` is one printf
// conversion for a double ("%g", "%5.4g", "%.17g", "%10.3f", ...).
std::string CrtFormat(const char* format, double value);
// The same as "%.<precision>g", appended; fast enough for millions of values.
void AppendCrtGeneral(std::string& out, double value, int precision = 6);

// Reads a number at the start of text as the C library's strtod does in the "C" locale:
// leading white space, optional sign, digits, fraction, exponent. Returns the number of
// characters consumed (0 when there is no number; value is then 0).
std::size_t ParseLeadingDouble(const char* text, std::size_t length, double& value);
// Whole text: leading number, then only white space.
bool ParseWholeDouble(const std::string& text, double& value);
// What the C library's atof reads: the leading number, 0 when the text starts none.
double LeadingDouble(const std::string& text);
// Reads a whole number after white space as a C++ stream's `>> int` does in the classic
// locale: optional sign, decimal digits. False when there are no digits or the number does
// not fit in an int. `cursor` is left after the number.
bool ReadLeadingInt(const char*& cursor, const char* end, int& value);
// What the C library's atoi reads: the leading whole number after white space, 0 when the
// text starts none or the number does not fit in an int (where atoi's result is undefined).
int LeadingInt(std::string_view text);
// The finite numbers among the blank-separated words of a family value, after `skipWords`
// leading words ("Sclk" is "Hz MHz 1e6 2e9 ..."); words that are no numbers are passed over.
std::vector<double> NumbersAfterWords(const std::string& text, int skipWords);
