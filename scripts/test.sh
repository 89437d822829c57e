#!/usr/bin/env bash
# Builds everything and runs every test: the formatting check, each fuzzer briefly, the
# test suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the whole suite
# in the default build, and last the Debian package, run from where it installs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup-deps.sh

jobs="$(nproc)"
fuzz_seconds="${WAVESMITH_FUZZ_SECONDS:-20}"

echo "== formatting"
bash scripts/check-format.sh

echo "== fuzzers (${fuzz_seconds} s each)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
# One line a harness; a crash or sanitizer report is shown in full and fails the run.
bash fuzz/run.sh build-fuzz "$fuzz_seconds"

echo "== tests under sanitizers"
cmake --preset sanitize -DWAVESMITH_WERROR=ON >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    dbus-run-session -- ctest --preset sanitize -j "$jobs" --timeout 600

echo "== tests"
cmake --preset default -DWAVESMITH_WERROR=ON >/dev/null
cmake --build --preset default -j "$jobs"
dbus-run-session -- ctest --preset default -j "$jobs" --timeout 600

echo "== python module"
# The module against wavesmith-cli on the same input, and the tutorial's examples.
WAVESMITH_BUILD_DIR="$root/build" PYTHONDONTWRITEBYTECODE=1 \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/python

echo "== package"
# The Debian package, unpacked into a scratch root, runs from its install location.
bash scripts/check-package.sh build
