// Imported text: the white-space separated and the two-column conversions on any bytes,
// and the fast number reading and "%g" writing checked against the general ones. A
// conversion either writes its binary file or refuses the text with a problem that names
// a line of it, and leaves neither a binary nor a scratch file then.
#include "document/SixDigitText.h"
#include "document/TextExport.h"
#include "document/TextImport.h"
#include "settings/DecimalReader.h"
#include "settings/NumberFormat.h"

#include <algorithm>
#include <cmath>
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

// Every number the fast reader finds must be the general reader's (and end where skipping
// it ends), and "%g" written from its digits must be "%g" of its value (and read back
// from the digits alone as from the value).
void CheckNumbers(const char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        double fast = 0;
        DecimalText digits;
        const char* end = DecimalReader::Read(text + i, text + size, fast, &digits);
        bool finite = false;
        if (DecimalReader::Skip(text + i, text + size, finite) != end ||
            (end != nullptr && finite != std::isfinite(fast))) {
            std::abort();
        }
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
            const double rounded = TextExport::GeneralValue(fast, digits);
            double fromDigits = 0;
            if (SixDigitText::ValueOfText(digits, fromDigits) &&
                std::memcmp(&fromDigits, &rounded, sizeof rounded) != 0) {
                std::abort();
            }
        }
    }
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "text_import: %s\n", what);
        std::abort();
    }
}

bool SameProblem(const TextImportProblem& a, const TextImportProblem& b) {
    return a.GetKind() == b.GetKind() && a.Line() == b.Line() && a.Text() == b.Text();
}

// Converts, and checks that the result and the problem agree with each other and with the
// files left behind.
TextImportProblem Spaced(const std::string& source, SampleKind kind, const char* extension,
                         unsigned long long lines) {
    const std::string target = Folder() + "in" + extension;
    std::filesystem::remove(target);
    TextImportProblem problem;
    const std::string result = TextImport::ConvertSpaced(source, kind, &problem);
    Check(result.empty() == problem.Found(), "spaced: a result and a problem, or neither");
    Check(result.empty() || result == target, "spaced: the wrong target");
    Check(std::filesystem::exists(target) == !result.empty(), "spaced: a refused file written");
    Check(!problem.Found() || (problem.Line() >= 1 && problem.Line() <= lines),
          "spaced: the problem names no line of the text");
    return problem;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckNumbers(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 256));
    const unsigned long long lines =
        1 + static_cast<unsigned long long>(std::count(data, data + size, '\n'));

    const std::string spaced = Folder() + "in.asc";
    WriteFile(spaced, data, size);
    const TextImportProblem code16 = Spaced(spaced, SampleKind::Code16, ".wav", lines);
    const TextImportProblem code32 = Spaced(spaced, SampleKind::Code32, ".wvf", lines);
    const TextImportProblem hz64 = Spaced(spaced, SampleKind::Hz64, ".wfm", lines);
    // Both integer codes take the 32-bit integers; the doubles take more.
    Check(SameProblem(code16, code32), "spaced: 16-bit and 32-bit codes refuse differently");
    Check(SameProblem(hz64, code16) || (code16.GetKind() == TextImportProblem::Kind::OutOfRange &&
                                        (!hz64.Found() || hz64.Line() >= code16.Line())),
          "spaced: doubles refuse what integers take");

    const std::string columns = Folder() + "in.csv";
    WriteFile(columns, data, size);
    const unsigned long long offset = TextImport::HeaderOffset(columns);
    Check(offset <= size, "the header ends beyond the text");
    std::filesystem::remove(Folder() + "in.wav");
    TextImportProblem problem;
    const std::string target =
        TextImport::ConvertColumns(columns, Folder() + "$$.asc", {-8192, 8191}, &problem);
    Check(target.empty() == problem.Found(), "columns: a result and a problem, or neither");
    Check(!std::filesystem::exists(Folder() + "$$.asc"), "columns: the scratch file is left");
    Check(std::filesystem::exists(Folder() + "in.wav") == !target.empty(),
          "columns: a refused file written");
    Check(!problem.Found() || (problem.Line() >= 1 && problem.Line() <= lines),
          "columns: the problem names no line of the text");
    return 0;
}
