#!/usr/bin/env bash
# End to end in pulse mode: a design built with "wavesmith-cli pulse ..." is downloaded once
# as a single segment and once in each sequence form, consolux serves the notifications on
# the session bus, and what the simulated instrument plays must match. With DC intervals of
# whole quanta the expanded sequence equals the single segment sample by sample; with a
# ramp the two forms compute the codes differently (from the point within the interval, or
# from the point within the section) and may differ by one code.
# Run under a private bus: dbus-run-session -- pulse.sh CONSOLUX AWG_SIM WAVESMITH_CLI
set -euo pipefail
# shellcheck source=tests/e2e/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" pulse "$@"

context=$(cd "$work/ws" && "$cli" paths | sed -n 's/^ContextFile=//p')

pulse() { # the words of one "pulse" command
    (cd "$work/ws" && "$cli" --mode pulse pulse "$@" >/dev/null 2>&1) || fail "pulse $* failed"
}

run_download() { (cd "$work/ws" && "$cli" --mode pulse download >/dev/null 2>&1); }

# download CODE [held]: downloads in pulse mode and prints consolux's line of that notice;
# "held": with the host held until the command-line run has left.
download() {
    local before hold=()
    before=$(notices "$1")
    [ "${2:-}" != held ] || hold=(held)
    "${hold[@]}" run_download || fail "download failed"
    await_notice "$1" "$before"
}

# compare SINGLE SEQUENCE MOST: same length, samples at most MOST codes apart.
compare() {
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
single, sequence, most = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read(), int(sys.argv[3])
if len(single) != len(sequence):
    raise SystemExit(f"lengths differ: {len(single) // 2} and {len(sequence) // 2} points")
count = len(single) // 2
a, b = struct.unpack(f"<{count}h", single), struct.unpack(f"<{count}h", sequence)
worst = max((abs(x - y) for x, y in zip(a, b)), default=0)
if worst > most:
    raise SystemExit(f"samples differ by up to {worst} codes (allowed {most})")
print(f"{count} points, largest difference {worst}")
PY
}

# check_forms NAME MOST: single segment, then both sequence forms, against each other.
check_forms() {
    local name=$1 most=$2 line
    pulse options segmentation single
    line=$(download 2)
    [[ "$line" == *':FREQ:RAST 1600; :TRAC:DEF 1,'* ]] || fail "single segment command: $line"
    local file
    file=$(ini_value SegmTbl Segm1-0 "$context")
    scpi "$work/single" ":INST 1" ":TRAC:SEL 1" ":TRAC:DATA?"
    cmp "$file" "$work/single" || fail "$name: the instrument's segment differs from $file"
    local form result
    for form in allowed sequence; do
        pulse options segmentation "$form"
        # The second form's sender has left the bus before the host looks at it.
        if [ "$form" = sequence ]; then download 18 held >/dev/null; else download 18 >/dev/null; fi
        scpi "$work/sequence-$form" ":INST 1" ":SEQ:DATA?"
        result=$(compare "$work/single" "$work/sequence-$form" "$most") ||
            fail "$name, sequence form '$form': $result"
        echo "e2e pulse: $name, sequence form '$form' against the single segment: $result"
    done
}

# Two DC sections of whole 10 ms quanta, repeated 3 and 2 times.
pulse train dc
pulse cell 1 1 10
pulse cell 1 2 0.4
pulse cell 2 1 10
pulse cell 2 2 -0.4
pulse repeat 3
pulse section append
pulse train dc
pulse cell 1 1 20
pulse cell 1 2 0.2
pulse repeat 2
check_forms "DC intervals" 0

# A third section of time/level points: a rise and a fall.
pulse section append
pulse train points
pulse cell 1 1 100
pulse cell 1 2 -0.4
pulse cell 2 1 110
pulse cell 2 2 0.4
pulse cell 3 1 130
pulse cell 3 2 -0.2
check_forms "with ramps" 1
