#!/usr/bin/python3
"""Runs each bulk job's benchmark beside its hand-written limit and writes the table.

Every job and its limit run in one benchmark process with random interleaving, so both see
the same load; the rounds of all jobs alternate. The VXI-11 row needs rpcbind: one is started
for the run when none answers on port 111. The median wall time of each figure over
all rounds goes into docs/PERFORMANCE.md between the "bench-table" markers, with the ratio.

    python3 scripts/bench-table.py [--rounds N] [--repetitions N] [--no-build] [--print]
"""

import argparse
import datetime
import json
import os
import re
import socket
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-rel")
DOC = os.path.join(ROOT, "docs", "PERFORMANCE.md")
BEGIN = "<!-- bench-table: begin -->"
END = "<!-- bench-table: end -->"

# (job, program, benchmark of the job, benchmark of its limit, what the limit is, target)
JOBS = [
    ("formula `(p%100)<50`, 16 M points, one worker", "bench_expression",
     "Prepared1/(p%100)<50", "HandWritten/(p%100)<50", "hand-written loop", 1.5),
    ("formula `abs(p%2000-1000)*amp/1000`, 16 M points, one worker", "bench_expression",
     "Prepared1/abs(p%2000-1000)*amp/1000", "HandWritten/abs(p%2000-1000)*amp/1000",
     "hand-written loop", 1.5),
    ("CSV import, 4 M values, whole numbers", "bench_formats", "BM_ImportCsv",
     "BM_ImportCsvPeerFromChars", "`from_chars` loop over the text", 1.5),
    ("CSV import, 4 M values, oscilloscope \"%.6e\" text", "bench_formats", "BM_ImportScopeCsv",
     "BM_ImportScopeCsvPeerFromChars", "`from_chars` loop over the text", 1.5),
    ("trace import, 4 M word points", "bench_formats", "BM_ImportTrace",
     "BM_ImportTracePeerFreadSwapWrite", "fread + byte swap + fwrite", 1.5),
    (".wfm write, 16 M points", "bench_document", "DocumentWrite/wfm_16M",
     "PlainWrite/wfm_16M_fsync", "fwrite + fsync", 1.5),
    ("download of 16 M points through the host, over the socket, until `*OPC?` and the "
     "error queue answer", "bench_download", "BM_DownloadThroughHost/vxi11:0",
     "BM_LoopbackSocketCopy", "loopback socket copy of the same bytes", 1.1),
    ("download of 16 M points through the host, over VXI-11 (liblxi to awg-sim through "
     "rpcbind), until `*OPC?` and the error queue answer", "bench_download",
     "BM_DownloadThroughHost/vxi11:1", "BM_DownloadThroughHost/vxi11:0",
     "the same download over the socket", 1.5),
]


def build():
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release",
                    "-DWAVESMITH_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    programs = sorted({job[1] for job in JOBS})
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", *programs], check=True,
                   stdout=subprocess.DEVNULL)


def anchored(name):
    """A benchmark filter that matches exactly this name (with its own suffixes)."""
    special = set("()*+?.[]{}|^$\\")
    return "^" + "".join("\\" + c if c in special else c for c in name) + "(/|$)"


def run_pair(program, job, limit, repetitions):
    """The median wall times in ms of the job and its limit, from one interleaved run."""
    command = [os.path.join(BUILD, "bench", program),
               "--benchmark_filter=" + anchored(job) + "|" + anchored(limit),
               "--benchmark_repetitions=%d" % repetitions,
               "--benchmark_enable_random_interleaving=true",
               "--benchmark_report_aggregates_only=true", "--benchmark_format=json"]
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    medians = {}
    for entry in json.loads(output)["benchmarks"]:
        # One repetition gives no aggregates: its single figure is the median.
        if entry.get("aggregate_name", "median") != "median":
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry["time_unit"]]
        key = job if re.match(anchored(job), entry["run_name"]) else limit
        medians[key] = entry["real_time"] * scale
    return medians[job], medians[limit]


def rpcbind_answers():
    with socket.socket() as probe:
        probe.settimeout(1)
        return probe.connect_ex(("127.0.0.1", 111)) == 0


def start_rpcbind():
    """An rpcbind for the VXI-11 row when none answers; the caller stops what it started."""
    if rpcbind_answers():
        return None
    started = subprocess.Popen(["/usr/sbin/rpcbind", "-f"])
    for _ in range(100):
        if rpcbind_answers():
            return started
        time.sleep(0.05)
    started.terminate()
    sys.exit("rpcbind does not answer on port 111: the VXI-11 row needs it "
             "(apt-get install rpcbind)")


def measure(rounds, repetitions):
    figures = {job[0]: ([], []) for job in JOBS}
    for _ in range(rounds):
        for title, program, job, limit, _, _ in JOBS:
            ours, peer = run_pair(program, job, limit, repetitions)
            figures[title][0].append(ours)
            figures[title][1].append(peer)
            print("%-70s %9.2f ms  limit %9.2f ms" % (title, ours, peer), file=sys.stderr)
    return {title: (statistics.median(a), statistics.median(b))
            for title, (a, b) in figures.items()}


def table(results, command):
    load = os.getloadavg()
    lines = [BEGIN,
             "",
             "Measured %s UTC, load average %.1f / %.1f / %.1f (1 / 5 / 15 min), command:"
             % (datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M"), *load),
             "`%s`" % command,
             "",
             "| Job | Figure | Limit | The limit | Ratio | Target |",
             "|---|---|---|---|---|---|"]
    for title, _, _, _, what, target in JOBS:
        ours, peer = results[title]
        lines.append("| %s | %.3g ms | %.3g ms | %s | %.2f | %.1f |" % (
            title, ours, peer, what, ours / peer, target))
    lines += ["", END]
    return "\n".join(lines)


def write(text):
    with open(DOC, encoding="utf-8") as f:
        doc = f.read()
    if BEGIN in doc and END in doc:
        doc = doc[:doc.index(BEGIN)] + text + doc[doc.index(END) + len(END):]
    else:
        doc = doc.rstrip("\n") + "\n\n" + text + "\n"
    with open(DOC, "w", encoding="utf-8") as f:
        f.write(doc)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--repetitions", type=int, default=3)
    parser.add_argument("--no-build", action="store_true")
    parser.add_argument("--print", action="store_true", help="print the table, leave the file")
    args = parser.parse_args()
    if not args.no_build:
        build()
    command = "python3 scripts/bench-table.py --rounds %d --repetitions %d" % (
        args.rounds, args.repetitions)
    rpcbind = start_rpcbind()
    try:
        text = table(measure(args.rounds, args.repetitions), command)
    finally:
        if rpcbind is not None:
            rpcbind.terminate()
            rpcbind.wait()
    if args.print:
        print(text)
    else:
        write(text)


if __name__ == "__main__":
    main()
