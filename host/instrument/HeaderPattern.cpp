#include "HeaderPattern.h"

#include "core/CharClass.h"

HeaderPattern::HeaderPattern(std::string_view notation) : notation_(notation) {
    Node node;
    bool inName = false;
    auto finishNode = [&]() {
        if (inName) {
            nodes_.push_back(node);
        }
        node = Node();
        inName = false;
    };
    for (const char c : notation) {
        if (c == '[') {
            finishNode();
            node.optional = true;
        } else if (c == ']' || c == ':') {
            const bool optional = node.optional && c == ':';
            finishNode();
            node.optional = optional;
        } else {
            inName = true;
            const char upper = ToUpperAscii(c);
            node.longForm += upper;
            if (upper == c) {
                node.shortForm += c;
            }
        }
    }
    finishNode();
}

bool HeaderPattern::Matches(const std::vector<std::string>& path) const {
    return MatchFrom(0, path, 0);
}

bool HeaderPattern::MatchFrom(std::size_t node, const std::vector<std::string>& path,
                              std::size_t position) const {
    if (node == nodes_.size()) {
        return position == path.size();
    }
    const Node& expected = nodes_[node];
    if (position < path.size() &&
        (path[position] == expected.shortForm || path[position] == expected.longForm) &&
        MatchFrom(node + 1, path, position + 1)) {
        return true;
    }
    return expected.optional && MatchFrom(node + 1, path, position);
}
