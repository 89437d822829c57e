// Formula evaluation over 16,000,000 points: the prepared range evaluation against
// muparser (point by point and in its OpenMP bulk mode) and against the same formula
// written by hand in C++; the point-by-point interpreter on 100,000 points for reference.
#include "synthesis/Expression.h"
#include "platform/recording/RecordingUserInterface.h"
#include "synthesis/ExpressionProgram.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr long long kPoints = 16000000;
constexpr long long kReferencePoints = 100000;
constexpr int kAmplitude = 8191;
constexpr int kPeriod = static_cast<int>(kPoints);

struct Formula {
    const char* text;
    void (*handWritten)(double* values, long long count);
};

// "omg" with the six significant digits the language gives it.
const double kOmega = [] {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", 6.283185307179586 / kPeriod);
    return std::strtod(text, nullptr);
}();

const Formula kFormulas[] = {
    {"amp*sin(1.5*omg*(p+500))",
     [](double* values, long long count) {
         for (long long i = 0; i < count; ++i) {
             values[i] = kAmplitude * std::sin(1.5 * kOmega * (static_cast<double>(i) + 500));
         }
     }},
    {"amp*sin(omg*p)+amp/2*sin(3*omg*p)",
     [](double* values, long long count) {
         for (long long i = 0; i < count; ++i) {
             const double p = static_cast<double>(i);
             values[i] =
                 kAmplitude * std::sin(kOmega * p) + kAmplitude / 2.0 * std::sin(3 * kOmega * p);
         }
     }},
    {"(p%100)<50",
     [](double* values, long long count) {
         for (long long i = 0; i < count; ++i) {
             values[i] = (i % 100) < 50 ? 1.0 : 0.0;
         }
     }},
    {"abs(p%2000-1000)*amp/1000",
     [](double* values, long long count) {
         for (long long i = 0; i < count; ++i) {
             values[i] = std::fabs(static_cast<double>(i % 2000) - 1000) * kAmplitude / 1000;
         }
     }},
};

std::vector<double>& Output() {
    static std::vector<double> values(kPoints);
    return values;
}

ExpressionSettings Settings() {
    ExpressionSettings settings;
    settings.folder = "./";
    settings.amplitude = kAmplitude;
    settings.period = kPeriod;
    return settings;
}

void Prepared(benchmark::State& state, int formula, int workers) {
    auto& values = Output();
    for (auto _ : state) {
        const ExpressionProgram program(kFormulas[formula].text, Settings(), 0, kPoints - 1);
        const ExpressionOutcome outcome = program.Run(values.data(), workers);
        if (outcome.errorId != 0) {
            state.SkipWithError("the formula failed");
        }
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

double TruncatedRemainder(double left, double right) {
    return std::fmod(std::trunc(left), std::trunc(right));
}

void DefineLanguage(mu::Parser& parser, double* point) {
    parser.DefineVar("p", point);
    parser.DefineConst("amp", kAmplitude);
    parser.DefineConst("omg", kOmega);
    parser.DefineOprt("%", TruncatedRemainder, mu::prMUL_DIV, mu::oaLEFT, true);
}

void Muparser(benchmark::State& state, int formula) {
    auto& values = Output();
    double point = 0;
    mu::Parser parser;
    DefineLanguage(parser, &point);
    parser.SetExpr(kFormulas[formula].text);
    for (auto _ : state) {
        for (long long i = 0; i < kPoints; ++i) {
            point = static_cast<double>(i);
            values[static_cast<std::size_t>(i)] = parser.Eval();
        }
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void MuparserBulk(benchmark::State& state, int formula) {
    auto& values = Output();
    static std::vector<double> points = [] {
        std::vector<double> all(kPoints);
        for (long long i = 0; i < kPoints; ++i) {
            all[static_cast<std::size_t>(i)] = static_cast<double>(i);
        }
        return all;
    }();
    mu::Parser parser;
    DefineLanguage(parser, points.data());
    parser.SetExpr(kFormulas[formula].text);
    for (auto _ : state) {
        parser.Eval(values.data(), static_cast<int>(kPoints));
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void HandWritten(benchmark::State& state, int formula) {
    auto& values = Output();
    for (auto _ : state) {
        kFormulas[formula].handWritten(values.data(), kPoints);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void PointByPoint(benchmark::State& state, int formula) {
    RecordingUserInterface ui;
    Expression expression(false, "./", ui);
    expression.SetAmplitude(kAmplitude);
    std::vector<double> values(kReferencePoints);
    for (auto _ : state) {
        for (long long i = 0; i < kReferencePoints; ++i) {
            std::string text = kFormulas[formula].text;
            values[static_cast<std::size_t>(i)] =
                expression.Evaluate(text, static_cast<double>(i), kPeriod);
        }
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * kReferencePoints);
}

// The figures that matter are the time per point, shown by "items_per_second" and by the
// wall time of one pass over the 16,000,000 points.
const int kRegistered = [] {
    for (int i = 0; i < static_cast<int>(std::size(kFormulas)); ++i) {
        const std::string name = std::string("/") + kFormulas[i].text;
        auto configure = [](benchmark::internal::Benchmark* b) {
            b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
        };
        configure(benchmark::RegisterBenchmark(("Prepared2" + name).c_str(), Prepared, i, 2));
        configure(benchmark::RegisterBenchmark(("Prepared1" + name).c_str(), Prepared, i, 1));
        configure(benchmark::RegisterBenchmark(("Muparser" + name).c_str(), Muparser, i));
        configure(benchmark::RegisterBenchmark(("MuparserBulk" + name).c_str(), MuparserBulk, i));
        configure(benchmark::RegisterBenchmark(("HandWritten" + name).c_str(), HandWritten, i));
        configure(
            benchmark::RegisterBenchmark(("PointByPoint100k" + name).c_str(), PointByPoint, i));
    }
    return 0;
}();

} // namespace

BENCHMARK_MAIN();
