#include "document/ColumnTextReader.h"

#include "core/CharClass.h"
#include "core/LargePages.h"
#include "document/SixDigitText.h"
#include "document/TextExport.h"
#include "settings/DecimalReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool StartsNumber(char c) {
    return IsDigit(c) || c == '+' || c == '-';
}
bool MayBeginHeader(char c) {
    return c == 't' || c == 'T' || c == '"';
}

// A line without its line end characters.
std::string_view LineText(const char* first, const char* last) {
    while (last != first && (last[-1] == '\r' || last[-1] == '\n')) {
        --last;
    }
    return std::string_view(first, static_cast<std::size_t>(last - first));
}

bool BeginsWithNoCase(const char* first, const char* last, const char* prefix) {
    for (; *prefix != '\0'; ++prefix, ++first) {
        if (first == last) {
            return false;
        }
        const char c = *first >= 'A' && *first <= 'Z' ? static_cast<char>(*first + 32) : *first;
        if (c != *prefix) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ColumnTextReader::BeginsHeader(const char* first, const char* last) {
    return BeginsWithNoCase(first, last, "time") || BeginsWithNoCase(first, last, "\"time");
}

const char* ColumnTextReader::PieceEnd(const char* first, const char* last) {
    const std::size_t limit = std::min(kHeaderPieceLength, static_cast<std::size_t>(last - first));
    const void* lineEnd = std::memchr(first, '\n', limit);
    return lineEnd != nullptr ? static_cast<const char*>(lineEnd) + 1 : first + limit;
}

void ColumnTextReader::ReadWindow(const char* p, const char* end) {
    const char* lineStart = p;
    for (;;) {
        // Everything that cannot start a number is a separator; each line is watched for
        // the header. Numbers never hold a line end nor the first letter of "time", so no
        // piece start that matters is ever inside a number.
        while (p != end && !StartsNumber(*p)) {
            if (*p == '\n') {
                EndLine(lineStart, p);
                lineStart = p + 1;
            } else if (searchingHeader_ && MayBeginHeader(*p) && EndsHeader(p, end, lineStart)) {
                continue;
            }
            ++p;
        }
        if (p == end) {
            if (haveFirst_) {
                unfinishedRecord_ = TextImportProblem(TextImportProblem::Kind::IncompleteRecord,
                                                      line_, LineText(lineStart, end));
            }
            return;
        }
        double number = 0;
        DecimalText text;
        bool finite = true;
        // The first number of a record (time or index) is only checked, never kept; the
        // second is formed from its digits only where Keep needs it.
        const char* next = haveFirst_ ? DecimalReader::Read(p, end, number, &text, false)
                                      : DecimalReader::Skip(p, end, finite);
        if (next == nullptr) {
            ++p; // a lone sign is just another separator
            continue;
        }
        finite = finite && std::isfinite(number);
        if (!finite) {
            Note(TextImportProblem::Kind::OutOfRange, p, next);
        }
        haveFirst_ = !haveFirst_;
        if (!haveFirst_ && finite) {
            Keep(number, text);
        }
        p = next;
    }
}

// When a header piece begins at p: drops what was read so far, moves p to the end of the
// piece and returns true.
bool ColumnTextReader::EndsHeader(const char*& p, const char* end, const char*& lineStart) {
    if (static_cast<std::size_t>(p - lineStart) % kHeaderPieceLength != 0 ||
        !BeginsHeader(p, end)) {
        return false;
    }
    Restart();
    p = PieceEnd(p, end);
    if (p[-1] == '\n') {
        EndLine(lineStart, p - 1);
        lineStart = p;
    }
    return true;
}

// A record left with one number at the end of its line is a problem of that line.
void ColumnTextReader::EndLine(const char* lineStart, const char* lineEnd) {
    if (haveFirst_) {
        haveFirst_ = false;
        Note(TextImportProblem::Kind::IncompleteRecord, lineStart, lineEnd);
    }
    ++line_;
}

void ColumnTextReader::Note(TextImportProblem::Kind kind, const char* first, const char* last) {
    if (!problem_.Found()) {
        problem_ = TextImportProblem(kind, line_, LineText(first, last));
    }
}

// The header has just ended: what was read before it is not data.
void ColumnTextReader::Restart() {
    searchingHeader_ = false;
    haveFirst_ = false;
    count_ = 0;
    smallest_ = 1e9;
    largest_ = -1e9;
    smallestRounded_ = smallest_;
    largestRounded_ = largest_;
    values_.clear();
    problem_ = {};
    unfinishedRecord_ = {};
}

// `value` is the number's double when `text` holds no digits, 0 otherwise.
void ColumnTextReader::Keep(double value, const DecimalText& text) {
    double rounded = 0;
    bool read = text.digits == 0;
    if (read || !SixDigitText::ValueOfText(text, rounded)) {
        value = read ? value : DecimalReader::Value(text);
        read = true;
        rounded = TextExport::GeneralValue(value, text);
    }
    // The extremes are those of the values as read. Rounding to six digits keeps their
    // order, so a value that rounds below the rounding of the largest so far is not larger
    // than it, and its double is not needed (the starting extremes are six-digit numbers).
    if (rounded >= largestRounded_ || rounded <= smallestRounded_) {
        value = read ? value : DecimalReader::Value(text);
        if (value > largest_) {
            largest_ = value;
            largestRounded_ = rounded;
        }
        if (value < smallest_) {
            smallest_ = value;
            smallestRounded_ = rounded;
        }
    }
    ++count_;
    values_.push_back(rounded);
}

// A record takes at least four characters ("1,2" and a line end) and seldom fewer than 12,
// so room for a twelfth of the bytes saves nearly every regrowth of the values; a larger
// text regrows at most once or twice.
void ColumnTextReader::ReserveFor(unsigned long long textBytes) {
    values_.reserve(static_cast<std::size_t>(textBytes / 12));
    PreferLargePages(values_.data(), values_.capacity() * sizeof(double));
}

void ColumnTextReader::Finish() {
    if (haveFirst_ && !problem_.Found()) {
        problem_ = unfinishedRecord_;
    }
}
