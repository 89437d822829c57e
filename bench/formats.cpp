// Speed of the waveform file formats, each beside its peer: the least work that produces
// or consumes the same bytes with the standard library's own number conversions.
// Run: bench_formats --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true
//      --benchmark_report_aggregates_only=true   (compare the "_min" rows)
#include "core/CharClass.h"
#include "document/SampleBuffer.h"
#include "document/TextExport.h"
#include "document/TextImport.h"
#include "document/TraceImport.h"

#include <benchmark/benchmark.h>

#include <algorithm>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCount = 4000000;

std::string Folder() {
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "wavesmith-bench-formats";
        std::filesystem::create_directories(path);
        return path.string() + "/";
    }();
    return folder;
}

std::vector<std::int16_t> Codes() {
    static const std::vector<std::int16_t> codes = [] {
        std::mt19937 random(1);
        std::vector<std::int16_t> values(kCount);
        for (auto& value : values) {
            value = static_cast<std::int16_t>(random() % 65536 - 32768);
        }
        return values;
    }();
    return codes;
}

SampleBuffer Buffer16() {
    SampleBuffer buffer(SampleKind::Code16);
    buffer.AssignBytes(kCount, Codes().data());
    return buffer;
}

SampleBuffer BufferFm() {
    SampleBuffer buffer(SampleKind::Code32);
    buffer.Assign(kCount, 0);
    std::mt19937 random(2);
    for (std::size_t i = 0; i < kCount; ++i) {
        buffer.Codes32()[i] = static_cast<std::int32_t>(random() % 1000000001);
    }
    return buffer;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The texts the imports read: what our own exports write.
const std::string& SpacedText() {
    static const std::string path = [] {
        const std::string name = Folder() + "in.asc";
        TextExport::ExportSpaced(Buffer16(), name);
        return name;
    }();
    return path;
}

const std::string& CsvText() {
    static const std::string path = [] {
        const std::string name = Folder() + "in.csv";
        TextExport::ExportCsv(Buffer16(), name);
        return name;
    }();
    return path;
}

// A scope's export: time and voltage as exponent numbers with seven digits.
const std::string& ScopeCsvText() {
    static const std::string path = [] {
        std::mt19937 random(3);
        std::string text = "Time,Ampl\r\n";
        char line[64];
        for (std::size_t i = 0; i < kCount; ++i) {
            const double volts = (static_cast<double>(random() % 2000001) - 1000000.0) * 1.7e-8;
            std::snprintf(line, sizeof line, "%.6e,%.6e\r\n", static_cast<double>(i) * 1e-9, volts);
            text += line;
        }
        const std::string name = Folder() + "scope.csv";
        WriteAll(name, text);
        return name;
    }();
    return path;
}

// ---- imports

void BM_ImportSpaced(benchmark::State& state) {
    const std::string path = SpacedText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextImport::ConvertSpaced(path, SampleKind::Code16));
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(std::filesystem::file_size(path)));
}

// Peer: from_chars over the text already in memory, numbers summed.
void BM_ImportSpacedPeerFromChars(benchmark::State& state) {
    const std::string text = ReadAll(SpacedText());
    for (auto _ : state) {
        const char* p = text.data();
        const char* end = p + text.size();
        double sum = 0;
        while (p != end) {
            while (p != end && IsCSpace(*p)) {
                ++p;
            }
            double value = 0;
            const auto result = std::from_chars(p, end, value);
            if (result.ec != std::errc()) {
                break;
            }
            sum += value;
            p = result.ptr;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
}

void BM_ImportCsv(benchmark::State& state) {
    const std::string path = CsvText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            TextImport::ConvertColumns(path, Folder() + "$$.asc", CodeRange{-8192, 8191}));
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(std::filesystem::file_size(path)));
}

// Peer: from_chars of both numbers of every line, text in memory.
void BM_ImportCsvPeerFromChars(benchmark::State& state) {
    const std::string text = ReadAll(CsvText());
    for (auto _ : state) {
        const char* p = text.data();
        const char* end = p + text.size();
        double sum = 0;
        while (p != end) {
            while (p != end && !((*p >= '0' && *p <= '9') || *p == '-' || *p == '+')) {
                ++p;
            }
            double value = 0;
            const auto result = std::from_chars(p, end, value);
            if (result.ec != std::errc()) {
                break;
            }
            sum += value;
            p = result.ptr;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
}

void BM_ImportScopeCsv(benchmark::State& state) {
    const std::string path = ScopeCsvText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            TextImport::ConvertColumns(path, Folder() + "$$.asc", CodeRange{-8192, 8191}));
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(std::filesystem::file_size(path)));
}

void BM_ImportScopeCsvPeerFromChars(benchmark::State& state) {
    const std::string text = ReadAll(ScopeCsvText());
    for (auto _ : state) {
        const char* p = text.data();
        const char* end = p + text.size();
        double sum = 0;
        while (p != end) {
            while (p != end && !((*p >= '0' && *p <= '9') || *p == '-' || *p == '+')) {
                ++p;
            }
            double value = 0;
            const auto result = std::from_chars(p, end, value);
            if (result.ec != std::errc()) {
                break;
            }
            sum += value;
            p = result.ptr;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
}

// ---- exports

void BM_ExportSpaced(benchmark::State& state) {
    const SampleBuffer buffer = Buffer16();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextExport::ExportSpaced(buffer, Folder() + "out.asc"));
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

// Peer: to_chars of each code and a blank into a buffer, fwrite in 1 MB pieces.
template <typename Append>
void WriteWithPeer(const std::string& path, std::size_t count, Append append) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::vector<char> buffer((1 << 20) + 64);
    std::size_t used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        used += append(buffer.data() + used, i);
        if (used >= (1 << 20)) {
            std::fwrite(buffer.data(), 1, used, file);
            used = 0;
        }
    }
    std::fwrite(buffer.data(), 1, used, file);
    std::fclose(file);
}

void BM_ExportSpacedPeerToChars(benchmark::State& state) {
    const std::vector<std::int16_t> codes = Codes();
    for (auto _ : state) {
        WriteWithPeer(Folder() + "peer.asc", kCount, [&](char* out, std::size_t i) {
            char* end = std::to_chars(out, out + 16, codes[i]).ptr;
            *end = ' ';
            return static_cast<std::size_t>(end + 1 - out);
        });
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

void BM_ExportCsv(benchmark::State& state) {
    const SampleBuffer buffer = Buffer16();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextExport::ExportCsv(buffer, Folder() + "out.csv"));
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

void BM_ExportCsvPeerToChars(benchmark::State& state) {
    const std::vector<std::int16_t> codes = Codes();
    for (auto _ : state) {
        WriteWithPeer(Folder() + "peer.csv", kCount, [&](char* out, std::size_t i) {
            char* end = std::to_chars(out, out + 24, i).ptr;
            *end++ = ',';
            *end++ = ' ';
            end = std::to_chars(end, end + 16, codes[i]).ptr;
            *end++ = '\r';
            *end++ = '\n';
            return static_cast<std::size_t>(end - out);
        });
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

// FM codes are mostly beyond 1e6: six significant digits in exponent form.
void BM_ExportFmSpaced(benchmark::State& state) {
    const SampleBuffer buffer = BufferFm();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextExport::ExportSpaced(buffer, Folder() + "out.asf"));
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

void BM_ExportFmSpacedPeerToChars(benchmark::State& state) {
    const SampleBuffer buffer = BufferFm();
    for (auto _ : state) {
        WriteWithPeer(Folder() + "peer.asf", kCount, [&](char* out, std::size_t i) {
            char* end = std::to_chars(out, out + 32, static_cast<double>(buffer.Codes32()[i]),
                                      std::chars_format::general, 6)
                            .ptr;
            *end = ' ';
            return static_cast<std::size_t>(end + 1 - out);
        });
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

// ---- trace

const std::string& TracePath() {
    static const std::string path = [] {
        std::string bytes(346, '\0');
        bytes.replace(0, 8, "WAVEDESC");
        bytes[33] = 1; // word data; COMM_ORDER 0: big-endian
        const std::uint32_t last = kCount - 1;
        for (int i = 0; i < 4; ++i) {
            bytes[128 + i] = static_cast<char>(last >> (24 - 8 * i));
        }
        const std::vector<std::int16_t> codes = Codes();
        for (const std::int16_t code : codes) {
            bytes += static_cast<char>(static_cast<std::uint16_t>(code) >> 8);
            bytes += static_cast<char>(code & 0xFF);
        }
        const std::string name = Folder() + "scope.trc";
        WriteAll(name, bytes);
        return name;
    }();
    return path;
}

void BM_ImportTrace(benchmark::State& state) {
    const std::string path = TracePath();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TraceImport::ImportTrace(path, true));
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

// The same import with its progress heard after each piece, as an Open does.
void BM_ImportTraceWithProgress(benchmark::State& state) {
    const std::string path = TracePath();
    long long reports = 0;
    const ImportProgress progress = [&reports](double) {
        ++reports;
        return true;
    };
    for (auto _ : state) {
        benchmark::DoNotOptimize(TraceImport::ImportTrace(path, true, progress));
    }
    benchmark::DoNotOptimize(reports);
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

// Peer: fread of the points and a byte swap of each, nothing written.
void BM_ImportTracePeerFreadSwap(benchmark::State& state) {
    const std::string path = TracePath();
    std::vector<std::uint16_t> points(kCount);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::fseek(file, 346, SEEK_SET);
        std::fread(points.data(), 2, kCount, file);
        std::fclose(file);
        for (auto& point : points) {
            point = static_cast<std::uint16_t>((point >> 8) | (point << 8));
        }
        benchmark::DoNotOptimize(points.data());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

// The same peer writing the swapped points to a file, as the import must.
void BM_ImportTracePeerFreadSwapWrite(benchmark::State& state) {
    const std::string path = TracePath();
    std::vector<std::uint16_t> points(kCount);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::fseek(file, 346, SEEK_SET);
        std::fread(points.data(), 2, kCount, file);
        std::fclose(file);
        for (auto& point : points) {
            point = static_cast<std::uint16_t>((point >> 8) | (point << 8));
        }
        std::FILE* out = std::fopen((Folder() + "peer.wav").c_str(), "wb");
        std::fwrite(points.data(), 2, kCount, out);
        std::fclose(out);
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * kCount));
}

// The least disturbed of the repetitions: the machine is shared.
double Fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

} // namespace

BENCHMARK(BM_ImportSpaced)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportSpacedPeerFromChars)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportCsvPeerFromChars)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportScopeCsv)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportScopeCsvPeerFromChars)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ExportSpaced)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ExportSpacedPeerToChars)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ExportCsvPeerToChars)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ExportFmSpaced)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ExportFmSpacedPeerToChars)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportTrace)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportTraceWithProgress)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportTracePeerFreadSwap)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ImportTracePeerFreadSwapWrite)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

BENCHMARK_MAIN();
