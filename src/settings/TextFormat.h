#pragma once

#include "core/CharClass.h" // ToUpperAscii of a whole text

#include <string>
#include <string_view>

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

// The words of a table's entries in order, the last two joined by `lastSeparator` and the
// others by `separator` ("dc, points or sequence"), for messages and usage lines.
template <class Table, class Word>
std::string JoinWords(const Table& table, Word word, std::string_view separator,
                      std::string_view lastSeparator) {
    std::string text;
    std::size_t i = 0;
    for (const auto& entry : table) {
        if (i > 0) {
            text += i + 1 == std::size(table) ? lastSeparator : separator;
        }
        text += entry.*word;
        ++i;
    }
    return text;
}
