#!/usr/bin/python3
"""Times the wavesmith module's calls on 16,000,000 points against the same C++ calls
(bench_python_calls, run here) and, for the formulas of bench_expression, against the same
formula written in plain numpy; measures the peak memory of one call in a fresh process.

    /usr/bin/python3 bench/python_module.py [BUILD]      (default: build)

Prints a Markdown table for docs/PERFORMANCE.md: wall milliseconds, best of REPEATS after
four untimed calls."""
import json
import subprocess
import sys
import time
from pathlib import Path

import numpy as np

BUILD = Path(sys.argv[1] if len(sys.argv) > 1 else "build").resolve()
sys.path.insert(0, str(BUILD / "python"))
import wavesmith  # noqa: E402

POINTS = 16_000_000
AMP = 8191
REPEATS = 5
OMEGA = float(f"{2 * np.pi / POINTS:.6g}")  # "omg" has six significant digits


def numpy_forms():
    def p():
        return np.arange(POINTS, dtype=np.float64)
    return {
        "amp*sin(1.5*omg*(p+500))": lambda: AMP * np.sin(1.5 * OMEGA * (p() + 500)),
        "amp*sin(omg*p)+amp/2*sin(3*omg*p)":
            lambda: (lambda x: AMP * np.sin(OMEGA * x) + AMP / 2 * np.sin(3 * OMEGA * x))(p()),
        "(p%100)<50": lambda: (np.fmod(p(), 100) < 50).astype(np.float64),
        "abs(p%2000-1000)*amp/1000": lambda: np.abs(np.fmod(p(), 2000) - 1000) * AMP / 1000,
    }


def best(call):
    # Four calls first, untimed: the first calls of a process take memory the machine has
    # not used lately, which a virtual machine's host hands back slowly (see
    # docs/PERFORMANCE.md, the disk), and that would be timed instead of the call.
    for _ in range(4):
        call()
    times = []
    for _ in range(REPEATS):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return min(times) * 1000


def best_of_both(call, peer):
    """The best times of two calls run in turns, so that both see the same machine, after
    four untimed rounds, as in `best`."""
    for _ in range(4):
        call()
        peer()
    times, peer_times = [], []
    for _ in range(REPEATS):
        for timed, into in ((call, times), (peer, peer_times)):
            start = time.perf_counter()
            timed()
            into.append(time.perf_counter() - start)
    return min(times) * 1000, min(peer_times) * 1000


def cpp_times():
    run = subprocess.run([BUILD / "bench" / "bench_python_calls", "--benchmark_format=json",
                          f"--benchmark_repetitions={REPEATS}"],
                         check=True, capture_output=True, text=True)
    runs = {}
    for entry in json.loads(run.stdout)["benchmarks"]:
        if entry.get("run_type") == "iteration":
            name = entry["run_name"].removesuffix("/real_time")
            runs[name] = min(runs.get(name, float("inf")), entry["real_time"])
    return runs


PEAK = """
import sys; sys.path.insert(0, {path!r})
import wavesmith, numpy as np
def rss(key):
    for line in open("/proc/self/status"):
        if line.startswith(key):
            return int(line.split()[1]) * 1024
before = rss("VmRSS:")
result = {call}
print((rss("VmHWM:") - before) / result.nbytes)
"""


def peak_ratio(call):
    """Peak memory of one call in a fresh process, in multiples of its result's size."""
    code = PEAK.format(path=str(BUILD / "python"), call=call)
    return float(subprocess.run([sys.executable, "-c", code], check=True, capture_output=True,
                                text=True).stdout)


def main():
    # The C++ calls run before and after the Python ones and each keeps its best: a load
    # that comes and goes on a shared machine then favours neither side.
    before = cpp_times()
    results = python_rows()
    after = cpp_times()
    cpp = {name: min(before[name], after[name]) for name in before}
    print("| Call (16,000,000 points) | Python (ms) | C++ (ms) | Python / C++ | plain numpy (ms) "
          "| peak memory / result |")
    print("|---|---|---|---|---|---|")
    for label, python, native, numpy_ms, peak in results:
        print(f"| {label} | {python:.0f} | {cpp[native]:.0f} | {python / cpp[native]:.2f} | "
              f"{numpy_ms} | {peak} |")


def python_rows():
    """(label, Python ms, C++ benchmark name, plain numpy ms text, peak text) per call."""
    rows = []
    numpy = numpy_forms()
    for formula, written in numpy.items():
        python, plain = best_of_both(
            lambda: wavesmith.evaluate(formula, 0, POINTS - 1, amp=AMP, period=POINTS), written)
        peak = peak_ratio(f"wavesmith.evaluate({formula!r}, 0, {POINTS - 1}, amp={AMP}, "
                          f"period={POINTS})")
        rows.append((f"`evaluate(\"{formula}\")`", python, f"EvaluateRange/{formula}",
                     f"{plain:.0f}", f"{peak:.2f}"))
    volts = (np.arange(POINTS) % 2001 - 1000) / 1000.0
    python = best(lambda: wavesmith.codes_from_volts(volts, 2.0, 8191))
    rows.append(("`codes_from_volts`", python, "CodesFromVolts",
                 f"{best(lambda: (volts * 8191 / 1.0).astype(np.int16)):.0f}", "-"))
    samples = (np.arange(POINTS) % 4000 - 2000).astype(np.int32)
    levels = [-1500, -500, 0, 700, 1900]
    python = best(lambda: wavesmith.marker_crossings(samples, levels))
    rows.append(("`marker_crossings`", python, "MarkerCrossings", "-", "-"))
    return rows


if __name__ == "__main__":
    main()
