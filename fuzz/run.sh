#!/usr/bin/env bash
# Runs the libFuzzer harnesses of a build, each for the given time, with its dictionary
# (fuzz/dict/<name>.dict) and its seeds (fuzz/corpus/<name>/; the trace import also reads
# the real traces in ../shared/corpus/traces beside the clone when that folder exists).
# What a run finds is kept in <build>/corpus/<name>/ for the next run; a crashing input
# is written to <build>/crashes/.
#
# A harness that passes prints one line; one that fails prints its report. The script
# fails when any harness failed, after all of them have run.
#
# Usage: fuzz/run.sh BUILD_DIR SECONDS [NAME...]   (NAME: expression, text_import, ...)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [ $# -lt 2 ]; then
    echo "usage: fuzz/run.sh BUILD_DIR SECONDS [NAME...]" >&2
    exit 2
fi
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2

crashes="$build/crashes"
logs="$build/fuzz-logs"
mkdir -p "$crashes" "$logs"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
# The harnesses write (and sync to the disk) their files on every input: a memory file
# system, where there is one, keeps that from setting the pace.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

wanted() {
    [ $# -eq 1 ] && return 0
    local name="$1" each
    shift
    for each in "$@"; do
        [ "$each" = "$name" ] && return 0
    done
    return 1
}

# The report: from a few lines before the first sanitizer or libFuzzer error (where a
# harness says what it found) on, at most 120 lines; the end of the log when there is no
# such line (a harness that could not start).
report() {
    local log="$1" first
    first="$(grep -n -m1 -E '^==[0-9]+== ?ERROR|runtime error:|^ERROR: ' "$log" | cut -d: -f1 || true)"
    if [ -n "$first" ]; then
        tail -n "+$((first > 5 ? first - 5 : 1))" "$log" | head -n 120
    else
        tail -n 40 "$log"
    fi
}

failed=()
ran=0
for fuzzer in "$build"/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name="$(basename "$fuzzer")"
    name="${name#fuzz_}"
    wanted "$name" "$@" || continue
    ran=$((ran + 1))

    dict="$root/fuzz/dict/$name.dict"
    seeds=("$root/fuzz/corpus/$name")
    if [ ! -f "$dict" ] || [ ! -d "${seeds[0]}" ]; then
        echo "-- $name: FAILED, every harness needs fuzz/dict/$name.dict and fuzz/corpus/$name/"
        failed+=("$name")
        continue
    fi
    max_len=65536
    if [ "$name" = trace_import ]; then
        max_len=262144 # the longest real trace is 200,361 bytes
        traces="$root/../shared/corpus/traces"
        [ -d "$traces" ] && seeds+=("$(cd "$traces" && pwd)")
    fi
    work="$build/corpus/$name"
    mkdir -p "$work"
    log="$logs/$name.log"

    status=0
    "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len="$max_len" -timeout=60 \
        -dict="$dict" -print_final_stats=1 -artifact_prefix="$crashes/$name-" \
        "$work" "${seeds[@]}" >"$log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
        speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
        corpus="$(grep -o 'corp: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)"
        echo "-- $name: ${runs:-?} runs, ${speed:-?} exec/s, corpus ${corpus:-?} inputs"
    else
        echo "-- $name: FAILED (exit $status), full log in $log"
        report "$log"
        failed+=("$name")
    fi
done

if [ "$ran" -eq 0 ]; then
    echo "no fuzz harness found in $build/fuzz" >&2
    exit 1
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing failed: ${failed[*]}" >&2
    exit 1
fi
