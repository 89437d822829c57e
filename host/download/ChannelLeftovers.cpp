#include "download/ChannelLeftovers.h"

#include "scpi/ScpiVocabulary.h"

#include "workspace/SegmentCatalog.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace {

constexpr std::size_t kRemovalsPerMessage = 500;
constexpr std::size_t kSegmentsNamed = 20;

struct Catalogues {
    std::vector<long long> sequence; // step, segment, loops, ...
    SegmentCatalog trace;
};

std::optional<std::vector<long long>> Numbers(const std::string& text) {
    std::vector<long long> numbers;
    const char* cursor = text.data();
    const char* end = cursor + text.size();
    while (cursor < end) {
        long long value = 0;
        const auto result = std::from_chars(cursor, end, value);
        if (result.ec != std::errc() || (result.ptr < end && *result.ptr != ',')) {
            return std::nullopt;
        }
        numbers.push_back(value);
        cursor = result.ptr < end ? result.ptr + 1 : end;
    }
    return numbers;
}

std::optional<Catalogues> Read(const std::string& answer) {
    const std::size_t split = answer.find(';');
    if (split == std::string::npos) {
        return std::nullopt;
    }
    auto sequence = Numbers(answer.substr(0, split));
    auto trace = SegmentCatalog::Parse(answer.substr(split + 1));
    if (!sequence || sequence->size() % 3 != 0 || !trace) {
        return std::nullopt;
    }
    return Catalogues{std::move(*sequence), std::move(*trace)};
}

} // namespace

std::optional<ChannelLeftovers> ChannelLeftovers::BeforeSegment(const std::string& answer,
                                                                long long segment) {
    const auto catalogues = Read(answer);
    if (!catalogues) {
        return std::nullopt;
    }
    std::set<long long> played;
    for (std::size_t i = 1; i < catalogues->sequence.size(); i += 3) {
        played.insert(catalogues->sequence[i]);
    }
    ChannelLeftovers leftovers;
    leftovers.steps = static_cast<long long>(catalogues->sequence.size() / 3);
    for (const SegmentCatalog::Entry& entry : catalogues->trace.entries) {
        if (entry.segment != segment && played.count(entry.segment) != 0) {
            leftovers.segments.push_back(entry.segment);
        }
    }
    std::sort(leftovers.segments.begin(), leftovers.segments.end());
    return leftovers;
}

std::optional<ChannelLeftovers> ChannelLeftovers::BeforeSequence(const std::string& answer,
                                                                 std::size_t segmentCount) {
    const auto catalogues = Read(answer);
    if (!catalogues) {
        return std::nullopt;
    }
    ChannelLeftovers leftovers;
    for (const SegmentCatalog::Entry& entry : catalogues->trace.entries) {
        if (entry.segment < 1 || static_cast<std::size_t>(entry.segment) > segmentCount) {
            leftovers.segments.push_back(entry.segment);
        }
    }
    std::sort(leftovers.segments.begin(), leftovers.segments.end());
    return leftovers;
}

std::string ChannelLeftovers::Query(int channel) {
    return ScpiVocabulary::Join({ScpiVocabulary::SelectChannel(channel),
                                 ScpiVocabulary::kSequenceCatalog,
                                 ScpiVocabulary::kSegmentCatalog});
}

std::vector<std::string> ChannelLeftovers::RemovalMessages(int channel) const {
    if (Empty()) {
        return {};
    }
    const std::string select = ScpiVocabulary::SelectChannel(channel);
    // An instrument may refuse to change what it is playing.
    std::vector<std::string> messages{
        ScpiVocabulary::Join({select, ScpiVocabulary::kPlaySegments,
                              steps > 0 ? ScpiVocabulary::kDeleteAllSteps : std::string_view{}})};
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i > 0 && i % kRemovalsPerMessage == 0) {
            messages.push_back(select);
        }
        messages.back() =
            ScpiVocabulary::Join({messages.back(), ScpiVocabulary::DeleteSegment(segments[i])});
    }
    return messages;
}

std::string ChannelLeftovers::Describe() const {
    if (Empty()) {
        return {};
    }
    std::string text = "removed";
    if (steps > 0) {
        text += " the earlier sequence (" + std::to_string(steps) +
                (steps == 1 ? " step)" : " steps)") + (segments.empty() ? "" : " and");
    }
    if (segments.empty()) {
        return text;
    }
    text += segments.size() == 1 ? " segment " : " segments ";
    const std::size_t named = std::min(segments.size(), kSegmentsNamed);
    for (std::size_t i = 0; i < named; ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(segments[i]);
    }
    if (named < segments.size()) {
        text += " and " + std::to_string(segments.size() - named) + " more";
    }
    return text;
}
