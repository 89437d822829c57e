#!/usr/bin/env bash
# End to end in FM mode: markers entered with "wavesmith-cli fm markers", a sine generated
# and downloaded; consolux serves notice 9 on the session bus and sends the FM waveform and
# its deviation to the simulated instrument. The instrument's FM table must equal the FM
# working file byte for byte, and the marker file the tool left must hold exactly the
# positions that "fm crossings" prints.
# Run under a private bus: dbus-run-session -- fm.sh CONSOLUX AWG_SIM WAVESMITH_CLI
set -euo pipefail
# shellcheck source=tests/e2e/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" fm "$@"

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

# The host is held until the download's command-line run has left the bus, so the notice is
# judged by the files it names.
before=$(notices 9)
held fm download >/dev/null
await_notice 9 "$before" >/dev/null

wave_file=$(ini_value SegmTbl FmWave "$context")
[ -f "$wave_file" ] || fail "no FM working file in the segment table"

scpi "$work/table" ":INST 1" ":FM:DATA?"
cmp "$wave_file" "$work/table" || fail "the instrument's FM table differs from $wave_file"
python3 - "$user_folder/\$xMark" "$work/crossings" <<'PY' || fail "the marker file does not match fm crossings"
import struct, sys
markers = open(sys.argv[1], "rb").read()
positions = [int(word) for word in open(sys.argv[2]).read().split()]
if markers != struct.pack(f"<{len(positions)}i", *positions):
    raise SystemExit(f"$xMark holds {len(markers) // 4} entries, fm crossings printed {len(positions)}")
print(f"e2e fm: FM table intact, {len(positions)} marker positions")
PY
