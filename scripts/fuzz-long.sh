#!/usr/bin/env bash
# Long fuzzing, outside CI: builds the harnesses (fuzz preset) and runs each one for ten
# minutes with its dictionary and seeds. Whatever a run finds stays in the build's corpus
# folders, so every long run starts where the last one ended; CI runs the same harnesses
# briefly (WAVESMITH_FUZZ_SECONDS in scripts/test.sh).
#
# Usage: scripts/fuzz-long.sh [NAME...]
#   WAVESMITH_FUZZ_LONG_SECONDS  seconds per harness (default 600)
#   WAVESMITH_FUZZ_BUILD         build folder (default build-fuzz)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${WAVESMITH_FUZZ_LONG_SECONDS:-600}"
build="${WAVESMITH_FUZZ_BUILD:-build-fuzz}"

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)"
echo "== fuzzers (${seconds} s each)"
bash fuzz/run.sh "$build" "$seconds" "$@"
