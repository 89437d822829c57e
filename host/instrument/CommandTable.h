#pragma once

#include "ArgumentList.h"
#include "CommandContext.h"
#include "CommandUnit.h"
#include "HeaderPattern.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The instrument's command tree: each header pattern with the handler of its setting form
// and of its query form ("?"); a header registered without a query form answers its
// query with -113, like a header that does not exist.
class CommandTable {
public:
    using Handler = std::function<void(CommandContext&, const ArgumentList&)>;

    // `notation` is a SCPI header ("[:SOURce]:FM:DEViation") or a common command ("*IDN").
    void Add(std::string_view notation, Handler setter, Handler query);
    // The handler for the unit's header and form, or nullptr.
    const Handler* Find(const CommandUnit& unit) const;

private:
    struct Entry {
        HeaderPattern pattern;
        bool common = false;
        Handler setter;
        Handler query;
    };

    std::vector<Entry> entries_;
};
