#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds trace files with a descriptor of the usual 346-byte template.
struct TraceLayout {
    std::vector<int> points = {};
    bool bigEndian = false;
    int commType = 1; // 0: bytes, 1: words
    long long first = 0;
    long long last = -1;     // -1: the last point
    std::string prefix = {}; // bytes before the descriptor, such as a block header
    std::string userText = {};
    bool writeLengths = true; // descriptor block lengths filled in, or left at zero
};

inline void PutInteger(std::string& bytes, std::size_t offset, std::uint32_t value, int width,
                       bool bigEndian) {
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (bigEndian ? width - 1 - i : i);
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((value >> shift) & 0xFF);
    }
}

inline std::string BuildTrace(const TraceLayout& layout) {
    std::string descriptor(346, '\0');
    descriptor.replace(0, 8, "WAVEDESC");
    descriptor.replace(16, 10, "LECROY_2_3");
    const int width = layout.commType + 1;
    std::string data;
    for (const int point : layout.points) {
        std::string one(static_cast<std::size_t>(width), '\0');
        PutInteger(one, 0, static_cast<std::uint32_t>(point), width, layout.bigEndian);
        data += one;
    }
    const long long last =
        layout.last == -1 ? static_cast<long long>(layout.points.size()) - 1 : layout.last;
    PutInteger(descriptor, 32, static_cast<std::uint32_t>(layout.commType), 2, layout.bigEndian);
    PutInteger(descriptor, 34, layout.bigEndian ? 0 : 1, 2, layout.bigEndian);
    if (layout.writeLengths) {
        PutInteger(descriptor, 36, 346, 4, layout.bigEndian);
        PutInteger(descriptor, 40, static_cast<std::uint32_t>(layout.userText.size()), 4,
                   layout.bigEndian);
        PutInteger(descriptor, 60, static_cast<std::uint32_t>(data.size()), 4, layout.bigEndian);
    }
    PutInteger(descriptor, 124, static_cast<std::uint32_t>(layout.first), 4, layout.bigEndian);
    PutInteger(descriptor, 128, static_cast<std::uint32_t>(last), 4, layout.bigEndian);
    return layout.prefix + descriptor + layout.userText + data;
}
