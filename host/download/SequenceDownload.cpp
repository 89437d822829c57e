#include "download/SequenceDownload.h"

#include "download/WaveformFile.h"
#include "scpi/ScpiVocabulary.h"
#include "settings/IniFile.h"
#include "settings/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <map>
#include <strings.h>

namespace {

constexpr std::size_t kBytesPerPoint = 2;
constexpr std::size_t kStepsPerMessage = 500;
// The instrument's own bounds, for a family file that gives none.
constexpr long long kMostSteps = 32768;
constexpr long long kMostLoops = 16'777'215;

std::optional<long long> Whole(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    long long value = 0;
    const char* end = text.data() + last + 1;
    const auto result = std::from_chars(text.data() + first, end, value);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

long long FamilyBound(const Workspace& workspace, const char* key, long long most) {
    const auto text = IniFile(workspace.FamilyFile()).Read("SegmTbl", key);
    const auto value = text ? Whole(*text) : std::nullopt;
    return value && *value >= 1 && *value <= most ? *value : most;
}

// The step number of a "Seg<m>" or "Rpt<m>" key, 0 for any other key.
long long StepOf(const std::string& key, const char* prefix) {
    constexpr std::size_t kPrefix = 3;
    if (key.size() <= kPrefix || strncasecmp(key.c_str(), prefix, kPrefix) != 0) {
        return 0;
    }
    const auto number = Whole(key.substr(kPrefix));
    return number && *number >= 1 && key[kPrefix] != '+' ? *number : 0;
}

struct Table {
    std::map<long long, std::string> files;
    std::map<long long, std::string> repeats;
    std::optional<std::string> sampleClock;
};

Table ReadTable(const IniEntries& entries) {
    Table table;
    for (const auto& [key, value] : entries) {
        if (const long long step = StepOf(key, "Seg")) {
            table.files[step] = value;
        } else if (const long long repeat = StepOf(key, "Rpt")) {
            table.repeats[repeat] = value;
        } else if (strcasecmp(key.c_str(), "Sclk") == 0) {
            table.sampleClock = value;
        }
    }
    return table;
}

bool CheckShape(const Table& table, const std::string& section, long long maxSteps,
                std::string& error) {
    if (table.files.empty()) {
        error = "the sequence table [" + section + "] has no steps";
        return false;
    }
    const long long count = static_cast<long long>(table.files.size());
    if (table.files.rbegin()->first != count) {
        long long expected = 1;
        for (const auto& entry : table.files) {
            if (entry.first != expected) {
                break;
            }
            ++expected;
        }
        error = "the sequence table [" + section + "] has no step " + std::to_string(expected) +
                " but a later one";
        return false;
    }
    if (count > maxSteps) {
        error = "the sequence has " + std::to_string(count) +
                " steps, more than the instrument's " + std::to_string(maxSteps) + " (MaxSequStp)";
        return false;
    }
    return true;
}

std::optional<long long> Loops(const Table& table, long long step, long long maxLoops,
                               std::string& error) {
    const auto found = table.repeats.find(step);
    const auto loops = found == table.repeats.end() ? std::nullopt : Whole(found->second);
    if (!loops || *loops < 1 || *loops > maxLoops) {
        error = "step " + std::to_string(step) + ": the repeat count " +
                (found == table.repeats.end() ? std::string("is missing")
                                              : "\"" + found->second + "\" is not in 1.." +
                                                    std::to_string(maxLoops) + " (MaxLoopNo)");
        return std::nullopt;
    }
    return loops;
}

// The clock is sent as the table writes it; a text that is no positive number would
// leave the instrument at a clock nobody chose, so it refuses the download.
bool ReadClock(const Table& table, const std::string& section, std::string& clock,
               std::string& error) {
    if (!table.sampleClock) {
        return true;
    }
    double value = 0;
    if (!ParseWholeDouble(*table.sampleClock, value) || !(value > 0) || !std::isfinite(value)) {
        error = "the sample clock \"" + *table.sampleClock + "\" of [" + section +
                "] is not a positive number";
        return false;
    }
    const std::size_t first = table.sampleClock->find_first_not_of(" \t");
    const std::size_t last = table.sampleClock->find_last_not_of(" \t");
    clock = table.sampleClock->substr(first, last - first + 1);
    return true;
}

bool AddSegment(const std::string& path, long long step, SequenceDownload& download,
                std::string& error) {
    std::string fileError;
    const auto file = WaveformFile::Read(path, fileError);
    if (!file) {
        error = "step " + std::to_string(step) + ": " + fileError + " (" + path + ")";
        return false;
    }
    if (file->Bytes().empty() || file->Bytes().size() % kBytesPerPoint != 0) {
        error = "step " + std::to_string(step) + ": the segment file has " +
                std::to_string(file->Bytes().size()) +
                " bytes, not a whole number of 16-bit samples (" + path + ")";
        return false;
    }
    download.segments.push_back({path, file->Bytes()});
    return true;
}

std::string TableSection(int channel) {
    return "PulsSeq-" + std::to_string(channel);
}

} // namespace

std::vector<std::string> SequenceDownload::FilesNamed(const Workspace& workspace) {
    const std::string section = TableSection(workspace.ActiveChannel());
    std::vector<std::string> files;
    for (const auto& [step, path] :
         ReadTable(IniFile(workspace.ContextFile()).ReadSection(section)).files) {
        files.push_back(path);
    }
    return files;
}

std::optional<SequenceDownload> SequenceDownload::Read(const Workspace& workspace,
                                                       std::string& error) {
    SequenceDownload download;
    download.channel = workspace.ActiveChannel();
    download.section = TableSection(download.channel);
    const Table table = ReadTable(IniFile(workspace.ContextFile()).ReadSection(download.section));
    if (!CheckShape(table, download.section, FamilyBound(workspace, "MaxSequStp", kMostSteps),
                    error) ||
        !ReadClock(table, download.section, download.sampleClock, error)) {
        return std::nullopt;
    }
    const long long maxLoops = FamilyBound(workspace, "MaxLoopNo", kMostLoops);
    std::map<std::string, int> numbers;
    for (const auto& [step, path] : table.files) {
        const auto loops = Loops(table, step, maxLoops, error);
        if (!loops) {
            return std::nullopt;
        }
        auto [found, added] = numbers.try_emplace(path, 0);
        if (added) {
            if (!AddSegment(path, step, download, error)) {
                return std::nullopt;
            }
            found->second = static_cast<int>(download.segments.size());
        }
        download.steps.push_back({found->second, *loops});
    }
    return download;
}

std::size_t SequenceDownload::TotalBytes() const {
    std::size_t total = 0;
    for (const Segment& segment : segments) {
        total += segment.bytes.size();
    }
    return total;
}

std::string SequenceDownload::ClearMessage() const {
    using V = ScpiVocabulary;
    return V::Join({V::SelectChannel(channel + 1), V::kPlaySegments, V::kDeleteAllSteps,
                    V::kDeleteAllSegments});
}

std::string SequenceDownload::SegmentPrefix(std::size_t index) const {
    using V = ScpiVocabulary;
    const auto number = static_cast<long long>(index + 1);
    const auto points = static_cast<long long>(segments[index].bytes.size() / kBytesPerPoint);
    return V::Join({V::SelectChannel(channel + 1), V::DefineSegment(number, points),
                    V::SelectSegment(number), V::kSegmentDataPrefix});
}

std::vector<std::string> SequenceDownload::StepMessages() const {
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i % kStepsPerMessage == 0) {
            messages.push_back(ScpiVocabulary::SelectChannel(channel + 1));
        }
        messages.back().append(";").append(
            ScpiVocabulary::DefineStep(i + 1, steps[i].segment, steps[i].loops));
    }
    return messages;
}

std::string SequenceDownload::PlayMessage() const {
    using V = ScpiVocabulary;
    const std::string clock = sampleClock.empty() ? "" : V::SetSampleClock(sampleClock);
    return V::Join({V::SelectChannel(channel + 1), clock, V::kPlaySequence});
}
