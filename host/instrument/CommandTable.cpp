#include "CommandTable.h"

#include <utility>

void CommandTable::Add(std::string_view notation, Handler setter, Handler query) {
    const bool common = !notation.empty() && notation.front() == '*';
    if (common) {
        notation.remove_prefix(1);
    }
    entries_.push_back(Entry{HeaderPattern(notation), common, std::move(setter), std::move(query)});
}

const CommandTable::Handler* CommandTable::Find(const CommandUnit& unit) const {
    for (const Entry& entry : entries_) {
        if (entry.common != unit.common || !entry.pattern.Matches(unit.path)) {
            continue;
        }
        const Handler& handler = unit.query ? entry.query : entry.setter;
        if (handler) {
            return &handler;
        }
    }
    return nullptr;
}
