#pragma once

#include <string>

// Character classes as the C library defines them in the "C" locale, whatever the process
// locale and whatever the signedness of char: bytes above 127 belong to none of them.
// It sits in the core, below everything, so that every layer and program reads
// characters alike.

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The C library's white space: blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// White space that does not end a line: a settings line keeps its line feed as its end.
constexpr bool IsBlankInLine(char c) {
    return c != '\n' && IsCSpace(c);
}

constexpr bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool IsAsciiAlnum(char c) {
    return IsAsciiLetter(c) || IsDigit(c);
}

constexpr char ToLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToUpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string ToUpperAscii(std::string text) {
    for (char& c : text) {
        c = ToUpperAscii(c);
    }
    return text;
}
