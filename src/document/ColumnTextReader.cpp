#include "document/ColumnTextReader.h"

#include "document/DecimalReader.h"
#include "document/TextExport.h"

#include <cstring>

namespace {

constexpr std::size_t kFlushSize = 1 << 20;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool StartsNumber(char c) {
    return IsDigit(c) || c == '+' || c == '-';
}
bool MayBeginHeader(char c) {
    return c == 't' || c == 'T' || c == '"';
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

ColumnTextReader::ColumnTextReader(std::string scratchPath)
    : scratchPath_(std::move(scratchPath)), text_(kFlushSize + TextExport::kLongestGeneral + 1) {}

ColumnTextReader::~ColumnTextReader() {
    if (scratch_ != nullptr) {
        std::fclose(scratch_);
    }
}

bool ColumnTextReader::Open() {
    scratch_ = std::fopen(scratchPath_.c_str(), "wb");
    failed_ = scratch_ == nullptr;
    return !failed_;
}

void ColumnTextReader::ReadWindow(const char* p, const char* end) {
    const char* lineStart = p;
    for (;;) {
        // Everything that cannot start a number is a separator; each line is watched for
        // the header. Numbers never hold a line end nor the first letter of "time", so no
        // piece start that matters is ever inside a number.
        while (p != end && !StartsNumber(*p)) {
            if (*p == '\n') {
                lineStart = p + 1;
            } else if (searchingHeader_ && MayBeginHeader(*p) && EndsHeader(p, end, lineStart)) {
                continue;
            }
            ++p;
        }
        if (p == end) {
            return;
        }
        double number = 0;
        DecimalText text;
        const char* next = DecimalReader::Read(p, end, number, &text);
        if (next == nullptr) {
            ++p; // a lone sign is just another separator
            continue;
        }
        haveFirst_ = !haveFirst_;
        if (!haveFirst_) {
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
        lineStart = p;
    }
    return true;
}

// The header has just ended: what was read before it is not data.
void ColumnTextReader::Restart() {
    searchingHeader_ = false;
    haveFirst_ = false;
    count_ = 0;
    smallest_ = 1e9;
    largest_ = -1e9;
    used_ = 0;
    if (scratch_ != nullptr) {
        std::fclose(scratch_);
    }
    Open();
}

void ColumnTextReader::Keep(double value, const DecimalText& text) {
    smallest_ = value < smallest_ ? value : smallest_;
    largest_ = value > largest_ ? value : largest_;
    ++count_;
    char* out = TextExport::WriteGeneral(text_.data() + used_, value, text);
    *out++ = ' ';
    used_ = static_cast<std::size_t>(out - text_.data());
    if (used_ >= kFlushSize) {
        Flush();
    }
}

void ColumnTextReader::Flush() {
    if (scratch_ == nullptr || std::fwrite(text_.data(), 1, used_, scratch_) != used_) {
        failed_ = true;
    }
    used_ = 0;
}

bool ColumnTextReader::Finish() {
    Flush();
    if (scratch_ != nullptr && std::fclose(scratch_) != 0) {
        failed_ = true;
    }
    scratch_ = nullptr;
    return !failed_;
}
