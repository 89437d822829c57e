#!/usr/bin/env bash
# End to end in pulse mode: a design built with "wavesmith-cli pulse ..." is downloaded once
# as a single segment and once in each sequence form, consolux serves the notifications on
# the session bus, and what the simulated instrument plays must match. With DC intervals of
# whole quanta the expanded sequence equals the single segment sample by sample; with a
# ramp the two forms compute the codes differently (from the point within the interval, or
# from the point within the section) and may differ by one code.
# Run under a private bus: dbus-run-session -- pulse.sh CONSOLUX AWG_SIM WAVESMITH_CLI
set -euo pipefail
consolux=$(realpath "$1")
awg_sim=$(realpath "$2")
cli=$(realpath "$3")
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

work=$(mktemp -d "${TMPDIR:-/tmp}/wavesmith-e2e-pulse-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "e2e pulse: $*" >&2
    echo "--- consolux serve said:" >&2
    cat "$work/serve.log" >&2 || true
    exit 1
}
ini_value() { # SECTION KEY FILE: the key's value in that section (names without case)
    awk -v section="$1" -v key="$2" -F= '
        /^\[/ { inside = tolower($0) == "[" tolower(section) "]"; next }
        inside && tolower($1) == tolower(key) { sub(/^[^=]*=/, ""); print; exit }' "$3"
}

export WAVESMITH_REGISTRY_DIR="$work/registry"
"$consolux" prepare "$work/ws" >/dev/null

"$awg_sim" --port 0 --port-file "$work/port" &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || fail "awg-sim did not report its port"
port=$(cat "$work/port")

"$consolux" serve "$work/ws" --instrument "127.0.0.1:$port" >"$work/serve.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do grep -q '^listening' "$work/serve.log" 2>/dev/null && break; sleep 0.05; done
grep -q '^listening' "$work/serve.log" || fail "consolux serve is not listening"

context=$(cd "$work/ws" && "$cli" paths | sed -n 's/^ContextFile=//p')

pulse() { # the words of one "pulse" command
    (cd "$work/ws" && "$cli" --mode pulse pulse "$@" >/dev/null 2>&1) || fail "pulse $* failed"
}

# download CODE: downloads in pulse mode and waits for consolux's line of that notice.
download() {
    local code=$1 before line
    before=$(grep -c "^notify $code " "$work/serve.log" || true)
    (cd "$work/ws" && "$cli" --mode pulse download >/dev/null 2>&1) || fail "download failed"
    for _ in $(seq 400); do
        [ "$(grep -c "^notify $code " "$work/serve.log" || true)" -gt "$before" ] && break
        sleep 0.05
    done
    line=$(grep "^notify $code " "$work/serve.log" | tail -n 1)
    [[ "$line" == *'-> 0,"No error"' ]] || fail "notice $code did not reach the instrument: $line"
    echo "$line"
}

# fetch QUERY OUTPUT: the block the instrument answers to QUERY on channel 1.
fetch() {
    python3 - "$port" "$1" "$2" <<'PY'
import socket, sys
port, query, output = sys.argv[1:4]
with socket.create_connection(("127.0.0.1", int(port)), timeout=10) as connection:
    stream = connection.makefile("rwb")
    stream.write(f":INST 1\n{query}\n".encode())
    stream.flush()
    if stream.read(1) != b"#":
        raise SystemExit(f"the answer to {query} is not a block")
    length = int(stream.read(int(stream.read(1))))
    data = stream.read(length)
    if len(data) != length:
        raise SystemExit(f"{query}: {len(data)} of {length} bytes")
with open(output, "wb") as file:
    file.write(data)
PY
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
    fetch ":TRAC:SEL 1;:TRAC:DATA?" "$work/single"
    cmp "$file" "$work/single" || fail "$name: the instrument's segment differs from $file"
    local form result
    for form in allowed sequence; do
        pulse options segmentation "$form"
        download 18 >/dev/null
        fetch ":SEQ:DATA?" "$work/sequence-$form"
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
