#include "settings/ProfileBatch.h"

#include "settings/IniSyntax.h"
#include "settings/IniText.h"

#include <unordered_map>

namespace {

IniEntries::iterator FindKey(IniEntries& entries, const std::string& lowerKey) {
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (SameIniName(entry->first, lowerKey)) {
            return entry;
        }
    }
    return entries.end();
}

IniEntries::iterator FindKeyIn(IniEntries& entries, std::string_view name) {
    return FindKey(entries, LowerIniName(name));
}

// A section while the batch is applied: its lines as they stand in the text (raw) until a
// key of it changes, then its keys. A copy of an unchanged section copies its lines.
struct SectionState {
    bool exists = false;
    bool present = false; // in the text before the batch
    std::optional<std::string> raw;
    IniEntries entries;

    IniEntries& Entries() {
        if (raw) {
            entries.clear();
            ForEachIniKey(*raw, [this](std::string_view key, std::string_view value) {
                if (FindKeyIn(entries, key) == entries.end()) {
                    entries.emplace_back(key, value);
                }
            });
            raw.reset();
        }
        return entries;
    }
    void Clear() {
        raw.reset();
        entries.clear();
        exists = false;
    }
};

using SectionStates = std::unordered_map<std::string, SectionState>;

// The keys of every header of the section, first value of a name winning, as the
// settings layer reads them.
IniEntries ReadSpans(std::string_view text, const std::vector<const IniSpan*>& spans) {
    IniEntries entries;
    for (const IniSpan* span : spans) {
        const std::string_view part = text.substr(span->headerBegin, span->end - span->headerBegin);
        for (auto& entry : ReadIniSection(part, span->lowerName)) {
            if (FindKey(entries, LowerIniName(entry.first)) == entries.end()) {
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

// The key edits of a section that is only given Set and Remove: applied line by line to
// its first header's lines, so that its other lines (comments included) stay as they are
// and a section of hundreds of keys is not parsed and rebuilt for one changed key.
struct KeyEdits {
    std::unordered_map<std::string, std::optional<std::string>> last; // lower key -> value
    std::vector<std::pair<std::string, std::string>> order;           // key as given, lower
};

void AppendEditedSpan(std::string& out, std::string_view text, const IniSpan& span,
                      const KeyEdits& edits, std::string_view lineEnd) {
    std::unordered_map<std::string, bool> applied;
    out.append(text.substr(span.headerBegin, span.bodyBegin - span.headerBegin));
    if (span.bodyBegin == text.size() && !text.empty() && text.back() != '\n') {
        out.append(lineEnd);
    }
    std::size_t position = span.bodyBegin;
    std::size_t pending = edits.last.size();
    while (position < span.lastFilledEnd) {
        if (pending == 0) {
            // Every edit found its line: the rest of the section goes as it is.
            out.append(text.substr(position, span.lastFilledEnd - position));
            position = span.lastFilledEnd;
            break;
        }
        std::size_t end = text.find('\n', position);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(position, next - position);
        std::string_view content = line;
        while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
            content.remove_suffix(1);
        }
        const IniLineMeaning meaning = ReadIniLine(content);
        const std::string_view name = meaning.name;
        const std::string lower = meaning.kind == IniLineKind::Key ? LowerIniName(name) : "";
        const auto edit = lower.empty() ? edits.last.end() : edits.last.find(lower);
        if (edit == edits.last.end() || applied[lower]) {
            out.append(line);
        } else {
            applied[lower] = true;
            --pending;
            if (edit->second) {
                out.append(name).append("=").append(*edit->second);
                out.append(line.substr(content.size()));
                if (next == text.size() && line.size() == content.size()) {
                    out.append(lineEnd);
                }
            }
        }
        position = next;
    }
    if (!out.empty() && out.back() != '\n') {
        out.append(lineEnd);
    }
    for (const auto& [key, lower] : edits.order) {
        const auto& value = edits.last.at(lower);
        if (!applied[lower] && value) {
            applied[lower] = true;
            out.append(key).append("=").append(*value).append(lineEnd);
        }
    }
    out.append(text.substr(span.lastFilledEnd, span.end - span.lastFilledEnd));
}

void AppendBody(std::string& out, const SectionState& section, std::string_view lineEnd) {
    if (!section.raw) {
        out += Body(section.entries, lineEnd);
        return;
    }
    out += *section.raw;
    if (!section.raw->empty() && section.raw->back() != '\n') {
        out.append(lineEnd);
    }
}

} // namespace

void ProfileBatch::Set(const std::string& section, const std::string& key,
                       const std::string& value) {
    operations_.push_back({Kind::Set, section, key, value});
}

void ProfileBatch::Remove(const std::string& section, const std::string& key) {
    operations_.push_back({Kind::Remove, section, key, {}});
}

void ProfileBatch::Clear(const std::string& section) {
    operations_.push_back({Kind::Clear, section, {}, {}});
}

void ProfileBatch::Copy(const std::string& source, const std::string& target) {
    operations_.push_back({Kind::Copy, target, source, {}});
}

std::string ProfileBatch::Problem() const {
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

bool ProfileBatch::ApplyTo(std::string& text) const {
    const std::vector<IniSpan> spans = FindIniSpans(text);
    std::unordered_map<std::string, std::vector<const IniSpan*>> spansByName;
    for (const IniSpan& span : spans) {
        spansByName[span.lowerName].push_back(&span);
    }
    // Sections given only Set and Remove, and never copied, are edited line by line; the
    // others are read whole, changed in order and written back whole.
    std::unordered_map<std::string, bool> simple;
    for (const Operation& operation : operations_) {
        const std::string target = LowerIniName(operation.section);
        const bool keyEdit = operation.kind == Kind::Set || operation.kind == Kind::Remove;
        simple.try_emplace(target, true).first->second &= keyEdit;
        if (operation.kind == Kind::Copy) {
            simple[LowerIniName(operation.key)] = false;
        }
    }
    std::unordered_map<std::string, KeyEdits> keyEdits;
    SectionStates states;
    std::vector<std::string> touchOrder;
    const auto state = [&](const std::string& lower) -> SectionState& {
        auto found = states.find(lower);
        if (found != states.end()) {
            return found->second;
        }
        SectionState& added = states[lower];
        const auto named = spansByName.find(lower);
        if (named != spansByName.end()) {
            added.present = added.exists = true;
            const std::vector<const IniSpan*>& own = named->second;
            if (own.size() == 1) {
                added.raw = std::string(
                    text.substr(own[0]->bodyBegin, own[0]->lastFilledEnd - own[0]->bodyBegin));
            } else {
                added.entries = ReadSpans(text, own);
            }
        }
        return added;
    };
    std::unordered_map<std::string, std::string> spelling;
    for (const Operation& operation : operations_) {
        const std::string target = LowerIniName(operation.section);
        if (spelling.try_emplace(target, operation.section).second) {
            touchOrder.push_back(target);
        }
        if (simple[target]) {
            KeyEdits& edits = keyEdits[target];
            const std::string key = LowerIniName(operation.key);
            if (!edits.last.count(key)) {
                edits.order.emplace_back(operation.key, key);
            }
            edits.last[key] = operation.kind == Kind::Set
                                  ? std::optional<std::string>(operation.value)
                                  : std::nullopt;
            continue;
        }
        SectionState& section = state(target);
        switch (operation.kind) {
        case Kind::Set: {
            IniEntries& entries = section.Entries();
            const auto entry = FindKey(entries, LowerIniName(operation.key));
            if (entry == entries.end()) {
                entries.emplace_back(operation.key, operation.value);
            } else {
                entry->second = operation.value;
            }
            section.exists = true;
            break;
        }
        case Kind::Remove: {
            IniEntries& entries = section.Entries();
            const auto entry = FindKey(entries, LowerIniName(operation.key));
            if (entry != entries.end()) {
                entries.erase(entry);
            }
            break;
        }
        case Kind::Clear:
            section.Clear();
            break;
        case Kind::Copy: {
            const SectionState source = state(LowerIniName(operation.key));
            SectionState& copyTarget = state(target);
            copyTarget.raw = source.raw;
            copyTarget.entries = source.entries;
            copyTarget.exists = source.exists;
            break;
        }
        }
    }

    const std::string_view lineEnd = IniLineEnd(text);
    std::string result;
    result.reserve(text.size() + text.size() / 8 + 256);
    std::size_t copied = 0;
    std::unordered_map<std::string, bool> written;
    for (const IniSpan& span : spans) {
        if (!spelling.count(span.lowerName)) {
            continue;
        }
        result.append(text, copied, span.headerBegin - copied);
        copied = span.end;
        if (written[span.lowerName]) {
            // A second header of a rewritten section goes; one of a key-edited section
            // stays as it was (its keys are hidden behind the first header's).
            if (simple[span.lowerName]) {
                result.append(text, span.headerBegin, span.end - span.headerBegin);
            }
            continue;
        }
        written[span.lowerName] = true;
        if (simple[span.lowerName]) {
            AppendEditedSpan(result, text, span, keyEdits[span.lowerName], lineEnd);
            continue;
        }
        const SectionState& section = states[span.lowerName];
        if (section.exists) {
            result.append(text, span.headerBegin, span.bodyBegin - span.headerBegin);
            if (span.bodyBegin == text.size() && !text.empty() && text.back() != '\n') {
                result.append(lineEnd);
            }
            AppendBody(result, section, lineEnd);
            result.append(text, span.lastFilledEnd, span.end - span.lastFilledEnd);
        }
    }
    result.append(text, copied, std::string::npos);
    for (const std::string& lower : touchOrder) {
        if (spansByName.count(lower)) {
            continue;
        }
        IniEntries entries;
        if (simple[lower]) {
            for (const auto& [key, keyLower] : keyEdits[lower].order) {
                if (const auto& value = keyEdits[lower].last.at(keyLower)) {
                    entries.emplace_back(key, *value);
                }
            }
        } else if (!states[lower].exists) {
            continue;
        }
        if (entries.empty() && simple[lower]) {
            continue;
        }
        if (!result.empty() && result.back() != '\n') {
            result.append(lineEnd);
        }
        result.append("[").append(spelling[lower]).append("]").append(lineEnd);
        if (simple[lower]) {
            result += Body(entries, lineEnd);
        } else {
            AppendBody(result, states[lower], lineEnd);
        }
    }
    if (result == text) {
        return false;
    }
    text = std::move(result);
    return true;
}
