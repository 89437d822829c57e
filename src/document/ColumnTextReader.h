#pragma once

#include "document/TextImportProblem.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct DecimalText;

// Reads two-column text (time or index, value) in place: finds the header, reads the
// records of two numbers after it and keeps each record's value as its "%g" text (six
// significant digits) reads back, with the extremes of the values as read.
//
// The text is handed over in windows that each begin at the start of a line. The header
// ends with the first line whose start, or the start of one of its 180-character pieces,
// reads "time" or "\"time" (case ignored); everything up to the end of that piece is
// dropped, so the records read are those after the header, as if reading had begun there.
//
// A record never crosses a line end: a line of the data that holds one number, or three,
// is a problem, and so is a number too large for a double. The first problem after the
// header (or in the whole text when it has none) is kept; the caller refuses the text.
class ColumnTextReader {
public:
    static constexpr std::size_t kHeaderPieceLength = 180;
    // The text at first (up to last) begins with "time" or "\"time", case ignored.
    static bool BeginsHeader(const char* first, const char* last);
    // The end of the piece that begins at first: just after its line end, or after 180
    // characters, whichever comes first.
    static const char* PieceEnd(const char* first, const char* last);

    // Every record of the window. Windows begin at the start of a line and end just after
    // a line end, except the last one of the text.
    void ReadWindow(const char* first, const char* last);
    // Room for the values of a text of that many bytes, as far as a guess can tell.
    void ReserveFor(unsigned long long textBytes);
    // The text has ended: a record left unfinished becomes the problem.
    void Finish();
    // The first problem of the data; found only once the whole text has been read.
    const TextImportProblem& Problem() const { return problem_; }

    std::size_t Count() const { return count_; }
    // The values, rounded to six significant digits as "%g" text of them would read back.
    const std::vector<double>& Values() const { return values_; }
    double Smallest() const { return smallest_; }
    double Largest() const { return largest_; }

private:
    bool EndsHeader(const char*& p, const char* end, const char*& lineStart);
    void EndLine(const char* lineStart, const char* lineEnd);
    void Note(TextImportProblem::Kind kind, const char* first, const char* last);
    void Restart();
    void Keep(double value, const DecimalText& text);

    std::vector<double> values_;
    std::size_t count_ = 0;
    unsigned long long line_ = 1;
    TextImportProblem problem_;
    TextImportProblem unfinishedRecord_; // the last line, should the text end there
    double smallest_ = 1e9;
    double largest_ = -1e9;
    double smallestRounded_ = 1e9; // smallest_ as its "%g" text reads back
    double largestRounded_ = -1e9;
    bool haveFirst_ = false;
    bool searchingHeader_ = true;
};
