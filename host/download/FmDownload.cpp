#include "download/FmDownload.h"

#include "download/FmMarkerFile.h"
#include "download/WaveformFile.h"
#include "scpi/ScpiVocabulary.h"
#include "settings/IniFile.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <strings.h>

namespace {

constexpr std::size_t kCodeBytes = 4;
constexpr std::size_t kFrequencyBytes = 8;
constexpr const char* kMarkerFileName = "$xMark";

// The number a text starts with, read as the tool reads the field (leading blanks, then
// as much as makes a number), in the C locale.
std::optional<double> LeadingNumber(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    double value = 0;
    const auto result = std::from_chars(text.data() + first, text.data() + text.size(), value);
    if (result.ec != std::errc()) {
        return std::nullopt;
    }
    return value;
}

std::string Shortest(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<std::string> WaveFileKey(const IniFile& context) {
    return context.Read("SegmTbl", "FmWave");
}

bool ReadWaveform(const IniFile& context, FmDownload& download, std::string& error) {
    const auto path = WaveFileKey(context);
    if (!path) {
        error = "the context names no FM waveform file ([SegmTbl] FmWave)";
        return false;
    }
    download.waveFile = *path;
    const auto file = WaveformFile::Read(*path, error);
    if (!file) {
        return false;
    }
    const std::size_t width = download.wide ? kFrequencyBytes : kCodeBytes;
    const char* what = download.wide ? "64-bit frequencies" : "32-bit codes";
    download.bytes = file->Bytes();
    download.points = download.bytes.size() / width;
    if (download.bytes.empty() || download.bytes.size() % width != 0) {
        error = "the FM waveform file has " + std::to_string(download.bytes.size()) +
                " bytes, not a whole number of " + what;
        return false;
    }
    return true;
}

bool ReadDeviation(const IniFile& context, FmDownload& download, std::string& error) {
    const auto mode = LeadingNumber(context.Read("Settings", "FmFuncMode").value_or("0"));
    const std::string key =
        "FmDev" + std::to_string(mode && std::isfinite(*mode) && std::abs(*mode) < 1e9
                                     ? static_cast<long long>(std::trunc(*mode))
                                     : 0);
    const auto text = context.Read("Settings", key);
    if (!text) {
        error = "the context holds no deviation ([Settings] " + key + ")";
        return false;
    }
    const auto hertz = LeadingNumber(*text);
    if (!hertz || !std::isfinite(*hertz) || *hertz < 0) {
        error = "the deviation [Settings] " + key + " = \"" + *text + "\" is no frequency";
        return false;
    }
    download.deviation = Shortest(*hertz);
    return true;
}

bool ReadMarkers(const Workspace& workspace, FmDownload& download, std::string& error) {
    const std::string path = workspace.UserFolder() + "/" + kMarkerFileName;
    if (!std::filesystem::exists(path)) {
        error = "the tool left no marker file " + path;
        return false;
    }
    std::string fileError;
    const auto file = WaveformFile::Read(path, fileError);
    if (!file) {
        error = "the marker file " + path + ": " + fileError;
        return false;
    }
    const auto markers = FmMarkerFile::Parse(file->Bytes(), download.points, error);
    if (!markers) {
        return false;
    }
    download.markers = *markers;
    return true;
}

} // namespace

bool FmDownload::IsWideFamily(const std::string& family) {
    constexpr std::size_t kPrefix = 5;
    return family.size() >= kPrefix && strncasecmp(family.c_str(), "G4270", kPrefix) == 0;
}

std::optional<std::string> FmDownload::WaveFileNamed(const Workspace& workspace) {
    return WaveFileKey(IniFile(workspace.ContextFile()));
}

std::optional<FmDownload> FmDownload::Read(const Workspace& workspace, std::string& error) {
    const IniFile context(workspace.ContextFile());
    FmDownload download;
    download.channel = workspace.ActiveChannel();
    download.wide = IsWideFamily(workspace.Family());
    if (!ReadWaveform(context, download, error)) {
        return std::nullopt;
    }
    if (!download.wide &&
        (!ReadDeviation(context, download, error) || !ReadMarkers(workspace, download, error))) {
        return std::nullopt;
    }
    return download;
}

std::string FmDownload::MessagePrefix() const {
    using V = ScpiVocabulary;
    if (wide) {
        return V::Join({V::SelectChannel(channel + 1), V::kFmHzDataPrefix});
    }
    return V::Join({V::SelectChannel(channel + 1), V::SetFmDeviation(deviation), V::kFmDataPrefix});
}

std::string FmDownload::MarkerText() const {
    if (wide) {
        return "none: a wide-FM family has no marker file";
    }
    return FmMarkerFile::Describe(markers);
}
