#pragma once

#include <string>
#include <string_view>
#include <vector>

// A command header in SCPI notation, "[:SOURce]:FREQuency:RASTer": each node accepts its
// short form (its capitals, "FREQ") or its long form ("FREQUENCY"), in any case, and a
// node in brackets may be left out.
class HeaderPattern {
public:
    explicit HeaderPattern(std::string_view notation);

    // `path` holds upper-cased mnemonics.
    bool Matches(const std::vector<std::string>& path) const;
    const std::string& Notation() const { return notation_; }

private:
    struct Node {
        std::string shortForm;
        std::string longForm;
        bool optional = false;
    };

    bool MatchFrom(std::size_t node, const std::vector<std::string>& path,
                   std::size_t position) const;

    std::string notation_;
    std::vector<Node> nodes_;
};
