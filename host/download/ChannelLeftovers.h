#pragma once

#include <optional>
#include <string>
#include <vector>

// What earlier downloads left on a channel that the next download does not use, worked out
// from the instrument's answer to Query(), the channel's two catalogues. A pulse design sent as one
// segment removes the sequence an earlier download of the design left and the segments that
// sequence played, except the one it now defines; segments no sequence plays are the user's and
// stay. A sequence clears the channel, and of the segments there it names those it does not define
// again. The removal is told to the user, who would otherwise find the memory changed.
struct ChannelLeftovers {
    static std::string Query(int channel);

    long long steps = 0;       // of the sequence removed; 0 when none is
    std::vector<int> segments; // removed, in ascending order

    // Nullopt when the answer is not two catalogues.
    static std::optional<ChannelLeftovers> BeforeSegment(const std::string& answer,
                                                         long long segment);
    static std::optional<ChannelLeftovers> BeforeSequence(const std::string& answer,
                                                          std::size_t segmentCount);

    bool Empty() const { return steps == 0 && segments.empty(); }
    // The program messages that remove them from `channel` (1-based), the channel first
    // returned to segment play; none when there is nothing to remove.
    std::vector<std::string> RemovalMessages(int channel) const;
    // "removed the earlier sequence (7 steps) and segments 2, 3, 4"; empty when nothing is.
    std::string Describe() const;
};
