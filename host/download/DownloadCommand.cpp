#include "download/DownloadCommand.h"

#include "core/CharClass.h"
#include "scpi/ScpiVocabulary.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

constexpr long long kMostNumber = 1000000000000LL;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<long long> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 13) {
        return std::nullopt;
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kMostNumber) {
        return std::nullopt;
    }
    return value;
}

bool IsClock(const std::string& text) {
    if (text.empty() || text.find_first_of(" \t") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && value > 0;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) {
        parts.push_back(Trimmed(part));
    }
    return parts;
}

std::optional<DownloadCommand> ParseShortForm(const std::string& text) {
    std::istringstream words(text);
    std::string segment;
    std::string points;
    std::string rest;
    if (!(words >> segment >> points) || (words >> rest)) {
        return std::nullopt;
    }
    const auto seg = WholeNumber(segment);
    const auto len = WholeNumber(points);
    if (!seg || !len) {
        return std::nullopt;
    }
    return DownloadCommand{"", *seg, *len};
}

// One message unit of the SCPI form into `command`; false for anything the tool never
// writes, or a unit given twice.
bool ApplyUnit(const std::string& unit, DownloadCommand& command, long long& selected) {
    const std::size_t blank = unit.find_first_of(" \t");
    if (blank == std::string::npos) {
        return false;
    }
    const std::string header = ToUpperAscii(unit.substr(0, blank));
    const std::string argument = Trimmed(unit.substr(blank));
    if (header == ":FREQ:RAST" && command.clock.empty() && IsClock(argument)) {
        command.clock = argument;
        return true;
    }
    if (header == ":TRAC:SEL" && selected == 0) {
        selected = WholeNumber(argument).value_or(-1);
        return selected > 0;
    }
    const auto pair = Split(argument, ',');
    if (header != ":TRAC:DEF" || command.segment != 0 || pair.size() != 2) {
        return false;
    }
    const auto segment = WholeNumber(pair[0]);
    const auto points = WholeNumber(pair[1]);
    if (!segment || !points) {
        return false;
    }
    command.segment = *segment;
    command.points = *points;
    return true;
}

} // namespace

std::optional<DownloadCommand> DownloadCommand::Parse(const std::string& linkCommand) {
    for (char c : linkCommand) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return std::nullopt;
        }
    }
    if (const auto shortForm = ParseShortForm(linkCommand)) {
        return shortForm;
    }
    DownloadCommand command;
    long long selected = 0;
    for (const std::string& unit : Split(linkCommand, ';')) {
        if (!ApplyUnit(unit, command, selected)) {
            return std::nullopt;
        }
    }
    if (command.segment == 0 || (selected != 0 && selected != command.segment)) {
        return std::nullopt;
    }
    return command;
}

std::string DownloadCommand::MessagePrefix(int channel) const {
    using V = ScpiVocabulary;
    // A pulse design rendered as one segment plays that segment, whatever sequence an
    // earlier download of the design left playing.
    const std::string clockUnits =
        clock.empty() ? "" : V::Join({V::SetSampleClock(clock), V::kPlaySegments});
    return V::Join({V::SelectChannel(channel), clockUnits, V::DefineSegment(segment, points),
                    V::SelectSegment(segment), V::kSegmentDataPrefix});
}
