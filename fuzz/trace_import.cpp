// Oscilloscope traces: any bytes, with and without a descriptor in front.
#include "document/TraceImport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() /
                          ("wavesmith-fuzz-trace-" + std::to_string(std::rand()));
        std::filesystem::create_directories(path);
        return path.string() + "/";
    }();
    return folder;
}

void Import(const std::string& bytes, bool fourteenBit) {
    const std::string path = Folder() + "scope.trc";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    // The waveform of an earlier import: replaced by a good import, removed by a failed one.
    if (std::FILE* old = std::fopen((Folder() + "scope.wav").c_str(), "wb")) {
        std::fputs("old", old);
        std::fclose(old);
    }
    const std::string target = TraceImport::ImportTrace(path, fourteenBit);
    const bool written = std::filesystem::exists(Folder() + "scope.wav");
    if (target.empty() == written) {
        std::abort(); // a failed import leaves no file, a good one leaves one
    }
    if (written) {
        const auto points = std::filesystem::file_size(target) / 2;
        // At least two points, and never more than the trace holds bytes.
        if (points < 2 || points > bytes.size()) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Import(bytes, false);
    // The same bytes behind a descriptor name, so that the fields are reached often.
    std::string framed = "WAVEDESC" + bytes;
    if (framed.size() < 400) {
        framed.resize(400 + size % 64, '\0');
    }
    Import(framed, true);
    return 0;
}
