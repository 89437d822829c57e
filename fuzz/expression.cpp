// Evaluates the input formula point by point and as a prepared range over the same points
// and aborts when the two differ in any bit of any value, in the failing point or in the
// message. The first byte chooses the mode, the period and the first point.
#include "synthesis/Expression.h"
#include "platform/recording/RecordingUserInterface.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::string folder;

void WriteBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::ofstream out(folder + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct Run {
    std::vector<double> values;
    int errorId = 0;
    long long errorPoint = 0;
    std::vector<int> messages;
};

Run EachPoint(const std::string& formula, bool fm, int period, long long from, long long to) {
    RecordingUserInterface ui;
    Expression expression(fm, folder, ui);
    expression.SetAmplitude(1000);
    Run run;
    for (long long point = from; point <= to; ++point) {
        std::string text = formula;
        const double value = expression.Evaluate(text, static_cast<double>(point), period);
        if (text.compare(0, 3, "Err") == 0) {
            run.errorId = ui.messages.back().id;
            run.errorPoint = point;
            break;
        }
        run.values.push_back(value);
    }
    run.messages = ui.MessageIds();
    return run;
}

// Bit for bit, so that -0 and 0 differ and NaN equals itself. An empty list (a formula
// failing at its first point) may have no storage at all, which memcmp must never see.
bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double x, double y) {
        return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
    });
}

Run Prepared(const std::string& formula, bool fm, int period, long long from, long long to) {
    RecordingUserInterface ui;
    Expression expression(fm, folder, ui);
    expression.SetAmplitude(1000);
    std::string text = formula;
    ExpressionRange range = expression.EvaluateRange(text, from, to, period);
    Run run;
    run.values = std::move(range.values);
    run.errorId = range.errorId;
    run.errorPoint = range.errorPoint;
    run.messages = ui.MessageIds();
    if ((run.errorId != 0) != (text == "Error")) {
        std::fprintf(stderr, "text buffer not marked as the error says\n");
        std::abort();
    }
    return run;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = (std::filesystem::temp_directory_path() /
              ("ws-fuzz-expr-" + std::to_string(std::random_device{}())))
                 .string() +
             "/";
    std::filesystem::create_directories(folder + "d.wav");
    // Every run has a folder of its own; it goes when the run ends without a crash.
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    });
    WriteBytes("a.wav", {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0x34, 0x12, 0x05});
    WriteBytes("b.wvf", {0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80});
    WriteBytes("c.txt", {0x31});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 4096) {
        return 0;
    }
    static const int kPeriods[8] = {1, 2, 7, 97, 1000, 0, -5, 65536};
    const bool fm = (data[0] & 1) != 0;
    const int period = kPeriods[(data[0] >> 1) & 7];
    const long long from = static_cast<long long>(data[0] >> 4) - 4;
    const long long to = from + 7;
    const std::string formula(reinterpret_cast<const char*>(data + 1), size - 1);

    const Run expected = EachPoint(formula, fm, period, from, to);
    const Run actual = Prepared(formula, fm, period, from, to);
    const bool same =
        actual.errorId == expected.errorId && actual.errorPoint == expected.errorPoint &&
        actual.messages == expected.messages && SameBits(actual.values, expected.values);
    if (!same) {
        std::fprintf(stderr, "prepared range differs: error %d at %lld instead of %d at %lld\n",
                     actual.errorId, actual.errorPoint, expected.errorId, expected.errorPoint);
        std::abort();
    }
    return 0;
}
