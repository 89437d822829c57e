// Imported text: the white-space separated and the two-column conversions on any bytes,
// and the fast number reading and "%g" writing checked against the general ones.
#include "document/DecimalReader.h"
#include "document/TextExport.h"
#include "document/TextImport.h"
#include "settings/NumberFormat.h"

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
                          ("wavesmith-fuzz-text-" + std::to_string(std::rand()));
        std::filesystem::create_directories(path);
        return path.string() + "/";
    }();
    return folder;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

// Every number the fast reader finds must be the general reader's, and "%g" written from
// its digits must be "%g" of its value.
void CheckNumbers(const char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        double fast = 0;
        DecimalText digits;
        const char* end = DecimalReader::Read(text + i, text + size, fast, &digits);
        if (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')) {
            continue; // the general reader skips white space first
        }
        double general = 0;
        const std::size_t used = ParseLeadingDouble(text + i, size - i, general);
        if ((end == nullptr) != (used == 0) ||
            (end != nullptr && (static_cast<std::size_t>(end - (text + i)) != used ||
                                std::memcmp(&fast, &general, sizeof fast) != 0))) {
            std::abort();
        }
        if (end != nullptr) {
            char out[TextExport::kLongestGeneral];
            const std::string written(out, TextExport::WriteGeneral(out, fast, digits));
            if (written != CrtFormat("%g", fast)) {
                std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckNumbers(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 256));

    const std::string spaced = Folder() + "in.asc";
    WriteFile(spaced, data, size);
    TextImport::ConvertSpaced(spaced, SampleKind::Code16);
    TextImport::ConvertSpaced(spaced, SampleKind::Code32);
    TextImport::ConvertSpaced(spaced, SampleKind::Hz64);

    const std::string columns = Folder() + "in.csv";
    WriteFile(columns, data, size);
    const unsigned long long offset = TextImport::HeaderOffset(columns);
    if (offset > size) {
        std::abort();
    }
    const std::string target =
        TextImport::ConvertColumns(columns, Folder() + "$$.asc", {-8192, 8191});
    if (target.empty() || std::filesystem::exists(Folder() + "$$.asc")) {
        std::abort();
    }
    return 0;
}
