#pragma once

#include <optional>
#include <string>
#include <vector>

// The instrument's answer to :TRAC:CAT? for the selected channel: segment number and
// length in points, in pairs ("1,4096,3,1024"); an empty answer is an empty memory.
struct SegmentCatalog {
    struct Entry {
        int segment = 0;
        long long points = 0;
    };

    std::vector<Entry> entries;

    static std::optional<SegmentCatalog> Parse(const std::string& reply);
};
