#!/usr/bin/env bash
# End to end in FM mode: markers entered with "wavesmith-cli fm markers", a sine generated
# and downloaded; consolux serves notice 9 on the session bus and sends the FM waveform and
# its deviation to the simulated instrument. The instrument's FM table must equal the FM
# working file byte for byte, and the marker file the tool left must hold exactly the
# positions that "fm crossings" prints.
# Run under a private bus: dbus-run-session -- fm.sh CONSOLUX AWG_SIM WAVESMITH_CLI
set -euo pipefail
consolux=$(realpath "$1")
awg_sim=$(realpath "$2")
cli=$(realpath "$3")

work=$(mktemp -d "${TMPDIR:-/tmp}/wavesmith-e2e-fm-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "e2e fm: $*" >&2
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

fm() { # one FM run of the tool; its output on stdout
    (cd "$work/ws" && "$cli" --mode fm "$@" 2>>"$work/cli.log") || fail "wavesmith-cli --mode fm $* failed"
}

paths=$(cd "$work/ws" && "$cli" --mode fm paths)
context=$(sed -n 's/^ContextFile=//p' <<<"$paths")
user_folder=$(sed -n 's/^UserFolder=//p' <<<"$paths")

# The prepared window is 900 MHz .. 1.1 GHz around the 1 GHz sample clock.
fm fm markers add 1e9 add 1.05e9 add 2e9 store >/dev/null
[ "$(fm fm bar | tr '\n' ' ')" = "1050000000 1000000000 " ] || fail "marker bar: $(fm fm bar)"
fm generate sine >/dev/null
fm fm crossings >"$work/crossings"
[ "$(wc -l <"$work/crossings")" -ge 4 ] || fail "too few crossings: $(cat "$work/crossings")"

before=$(grep -c '^notify 9 ' "$work/serve.log" || true)
fm download >/dev/null
for _ in $(seq 400); do
    [ "$(grep -c '^notify 9 ' "$work/serve.log" || true)" -gt "$before" ] && break
    sleep 0.05
done
line=$(grep '^notify 9 ' "$work/serve.log" | tail -n 1)
[[ "$line" == *'-> 0,"No error"' ]] || fail "the FM download did not reach the instrument: $line"

wave_file=$(ini_value SegmTbl FmWave "$context")
[ -f "$wave_file" ] || fail "no FM working file in the segment table"

python3 - "$port" "$wave_file" "$user_folder/\$xMark" "$work/crossings" <<'PY' || fail "the instrument or the marker file does not match"
import socket, struct, sys
port, wave_file, marker_file, crossings_file = sys.argv[1:5]
with socket.create_connection(("127.0.0.1", int(port)), timeout=10) as connection:
    stream = connection.makefile("rwb")
    stream.write(b":INST 1\n:FM:DATA?\n")
    stream.flush()
    if stream.read(1) != b"#":
        raise SystemExit("the answer to :FM:DATA? is not a block")
    length = int(stream.read(int(stream.read(1))))
    table = stream.read(length)
wave = open(wave_file, "rb").read()
if table != wave:
    raise SystemExit(f"FM table of {len(table)} bytes differs from the {len(wave)}-byte working file")
markers = open(marker_file, "rb").read()
positions = [int(word) for word in open(crossings_file).read().split()]
if markers != struct.pack(f"<{len(positions)}i", *positions):
    raise SystemExit(f"$xMark holds {len(markers) // 4} entries, fm crossings printed {len(positions)}")
print(f"FM table {len(table) // 4} points, {len(positions)} marker positions")
PY
