#include "pulse/PulseKeyBatch.h"

#include "pulse/PulseIniSpans.h"
#include "settings/CharClass.h"
#include "settings/IniText.h"

#include <unordered_map>

namespace {

struct SectionState {
    bool exists = false;
    bool present = false; // in the text before the batch
    IniEntries entries;
};

using SectionStates = std::unordered_map<std::string, SectionState>;

bool SameLower(std::string_view name, std::string_view lower) {
    if (name.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (ToLowerAscii(name[i]) != lower[i]) {
            return false;
        }
    }
    return true;
}

IniEntries::iterator FindKey(IniEntries& entries, const std::string& lowerKey) {
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (SameLower(entry->first, lowerKey)) {
            return entry;
        }
    }
    return entries.end();
}

// The keys of every header of the section, first value of a name winning, as the
// settings layer reads them.
IniEntries ReadSpans(std::string_view text, const std::vector<const IniSpan*>& spans) {
    IniEntries entries;
    for (const IniSpan* span : spans) {
        const std::string_view part = text.substr(span->headerBegin, span->end - span->headerBegin);
        for (auto& entry : ReadIniSection(part, span->lowerName)) {
            if (FindKey(entries, LowerAscii(entry.first)) == entries.end()) {
                entries.push_back(std::move(entry));
            }
        }
    }
    return entries;
}

std::string Body(const IniEntries& entries, std::string_view lineEnd) {
    std::string body;
    for (const auto& [key, value] : entries) {
        body.append(key).append("=").append(value).append(lineEnd);
    }
    return body;
}

} // namespace

void PulseKeyBatch::Set(const std::string& section, const std::string& key,
                        const std::string& value) {
    operations_.push_back({Kind::Set, section, key, value});
}

void PulseKeyBatch::Remove(const std::string& section, const std::string& key) {
    operations_.push_back({Kind::Remove, section, key, {}});
}

void PulseKeyBatch::Clear(const std::string& section) {
    operations_.push_back({Kind::Clear, section, {}, {}});
}

void PulseKeyBatch::Copy(const std::string& source, const std::string& target) {
    operations_.push_back({Kind::Copy, target, source, {}});
}

std::string PulseKeyBatch::Problem() const {
    for (const Operation& operation : operations_) {
        const bool hasKey = operation.kind == Kind::Set || operation.kind == Kind::Remove;
        std::string problem = IniWriteProblem(operation.section, hasKey ? operation.key : "k",
                                              operation.kind == Kind::Set
                                                  ? std::optional<std::string_view>(operation.value)
                                                  : std::nullopt);
        if (problem.empty() && operation.kind == Kind::Copy) {
            problem = IniWriteProblem(operation.key, "k", std::nullopt);
        }
        if (!problem.empty()) {
            return problem;
        }
    }
    return {};
}

bool PulseKeyBatch::ApplyTo(std::string& text) const {
    const std::vector<IniSpan> spans = FindIniSpans(text);
    std::unordered_map<std::string, std::vector<const IniSpan*>> spansByName;
    for (const IniSpan& span : spans) {
        spansByName[span.lowerName].push_back(&span);
    }
    SectionStates states;
    std::vector<std::string> touchOrder;
    const auto state = [&](const std::string& name) -> SectionState& {
        const std::string lower = LowerAscii(name);
        auto found = states.find(lower);
        if (found != states.end()) {
            return found->second;
        }
        SectionState& added = states[lower];
        const auto named = spansByName.find(lower);
        if (named != spansByName.end()) {
            added.present = added.exists = true;
            added.entries = ReadSpans(text, named->second);
        }
        touchOrder.push_back(lower);
        return added;
    };
    std::unordered_map<std::string, bool> targets;
    for (const Operation& operation : operations_) {
        SectionState& target = state(operation.section);
        targets[LowerAscii(operation.section)] = true;
        switch (operation.kind) {
        case Kind::Set: {
            const auto entry = FindKey(target.entries, LowerAscii(operation.key));
            if (entry == target.entries.end()) {
                target.entries.emplace_back(operation.key, operation.value);
            } else {
                entry->second = operation.value;
            }
            target.exists = true;
            break;
        }
        case Kind::Remove: {
            const auto entry = FindKey(target.entries, LowerAscii(operation.key));
            if (entry != target.entries.end()) {
                target.entries.erase(entry);
            }
            break;
        }
        case Kind::Clear:
            target.entries.clear();
            target.exists = false;
            break;
        case Kind::Copy: {
            const SectionState source = state(operation.key);
            SectionState& copyTarget = state(operation.section);
            copyTarget.entries = source.entries;
            copyTarget.exists = source.exists;
            break;
        }
        }
    }

    const std::string_view lineEnd = LineEndOfText(text);
    std::string result;
    result.reserve(text.size() + text.size() / 8 + 256);
    std::size_t copied = 0;
    std::unordered_map<std::string, bool> written;
    for (const IniSpan& span : spans) {
        if (!targets.count(span.lowerName)) {
            continue;
        }
        result.append(text, copied, span.headerBegin - copied);
        const SectionState& section = states[span.lowerName];
        if (section.exists && !written[span.lowerName]) {
            result.append(text, span.headerBegin, span.bodyBegin - span.headerBegin);
            if (span.bodyBegin == text.size() && !text.empty() && text.back() != '\n') {
                result.append(lineEnd);
            }
            result += Body(section.entries, lineEnd);
            result.append(text, span.lastFilledEnd, span.end - span.lastFilledEnd);
        }
        written[span.lowerName] = true;
        copied = span.end;
    }
    result.append(text, copied, std::string::npos);
    for (const std::string& lower : touchOrder) {
        const SectionState& section = states[lower];
        if (!section.present && section.exists && targets.count(lower)) {
            if (!result.empty() && result.back() != '\n') {
                result.append(lineEnd);
            }
            std::string name = lower;
            for (const Operation& operation : operations_) {
                if (LowerAscii(operation.section) == lower) {
                    name = operation.section;
                    break;
                }
            }
            result.append("[").append(name).append("]").append(lineEnd);
            result += Body(section.entries, lineEnd);
        }
    }
    if (result == text) {
        return false;
    }
    text = std::move(result);
    return true;
}
