#!/usr/bin/env bash
# Builds the benchmarks in Release and runs each of them, several repetitions, reporting
# the median. Figures go to build-release/bench-results/<name>.txt as well as the screen.
# Give benchmark names (e.g. "document expression") to run only those.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DWAVESMITH_TESTS=OFF >/dev/null
cmake --build build-release -j "$(nproc)"

results=build-release/bench-results
mkdir -p "$results"
repetitions="${WAVESMITH_BENCH_REPETITIONS:-5}"
for program in $(find build-release/bench -type f -name 'bench_*' -perm -u+x | sort); do
    name="$(basename "$program")"
    name="${name#bench_}"
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    echo "== $name"
    QT_QPA_PLATFORM=offscreen "$program" --benchmark_repetitions="$repetitions" \
        --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '_median|^Benchmark|^-' \
        | tee "$results/$name.txt"
done
