#include "workspace/SegmentCatalog.h"

#include <charconv>

namespace {

template <typename Number> bool ReadField(const char*& cursor, const char* end, Number& value) {
    while (cursor < end && (*cursor == ' ' || *cursor == '"')) {
        ++cursor;
    }
    const auto result = std::from_chars(cursor, end, value);
    if (result.ec != std::errc()) {
        return false;
    }
    cursor = result.ptr;
    while (cursor < end && (*cursor == ' ' || *cursor == '"')) {
        ++cursor;
    }
    if (cursor < end) {
        if (*cursor != ',') {
            return false;
        }
        ++cursor;
    }
    return true;
}

} // namespace

std::optional<SegmentCatalog> SegmentCatalog::Parse(const std::string& reply) {
    SegmentCatalog catalog;
    const char* cursor = reply.data();
    const char* end = cursor + reply.size();
    while (cursor < end && (*cursor == ' ' || *cursor == '"')) {
        ++cursor;
    }
    while (cursor < end) {
        Entry entry;
        if (!ReadField(cursor, end, entry.segment) || cursor >= end ||
            !ReadField(cursor, end, entry.points)) {
            return std::nullopt;
        }
        catalog.entries.push_back(entry);
    }
    return catalog;
}
