#pragma once

#include "core/CharClass.h" // ToUpperAscii of a whole text

#include <string>

// Small text helpers shared by the settings and the displays.

// Whole numbers as "%d" with "e6"/"e3" for trailing zeros, others "%.9f" trimmed.
std::string FormatCompact(double x);
// Removes trailing zeros and then a trailing "." when the text holds a ".".
void TrimZeros(std::string& text);
// "1e+003" -> "1e3", "2e-006" -> "2e-6".
void StripExponentZeros(std::string& text);
// "C:\a\b\name.wav" -> "C:\...\name.wav"; accepts either separator.
std::string ShortenPath(const std::string& path);
// Case-insensitive comparisons of ASCII text.
bool EqualsNoCase(const std::string& a, const std::string& b);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
