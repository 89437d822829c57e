#!/usr/bin/env bash
# End to end: the command-line tool generates waveforms and downloads them, consolux
# serves the notifications on the session bus, and what reached the simulated instrument
# must equal the tool's working files byte for byte, on both channels.
# Run under a private bus: dbus-run-session -- download.sh CONSOLUX AWG_SIM WAVESMITH_CLI
set -euo pipefail
consolux=$(realpath "$1")
awg_sim=$(realpath "$2")
cli=$(realpath "$3")
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

work=$(mktemp -d "${TMPDIR:-/tmp}/wavesmith-e2e-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "e2e: $*" >&2
    echo "--- consolux serve said:" >&2
    cat "$work/serve.log" >&2 || true
    exit 1
}
wait_for() { # FILE PATTERN: waits up to 10 s for a line matching PATTERN
    for _ in $(seq 200); do
        grep -q -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
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
wait_for "$work/serve.log" '^listening' || fail "consolux serve is not listening"

context=$(cd "$work/ws" && "$cli" paths | sed -n 's/^ContextFile=//p')
[ -f "$context" ] || fail "the tool does not find its context file"

# download CHANNEL SEGMENT WAVE: generate WAVE there, download it, compare the instrument's copy.
download() {
    local channel=$1 segment=$2 wave=$3 notices
    notices=$(grep -c '^notify 2 ' "$work/serve.log" || true)
    local step
    for step in "channel $channel" "segment $segment" "generate $wave" "download"; do
        # shellcheck disable=SC2086 # each step is a command and its argument
        (cd "$work/ws" && "$cli" $step >/dev/null) ||
            fail "wavesmith-cli $step failed on channel $channel segment $segment"
    done
    for _ in $(seq 200); do
        [ "$(grep -c '^notify 2 ' "$work/serve.log" || true)" -gt "$notices" ] && break
        sleep 0.05
    done
    local line
    line=$(grep '^notify 2 ' "$work/serve.log" | tail -n 1)
    [[ "$line" == *"ch=$channel \":TRAC:DEF $segment,"*'-> 0,"No error"' ]] ||
        fail "download of channel $channel segment $segment: $line"

    local file
    file=$(ini_value SegmTbl "Segm$segment-$((channel - 1))" "$context")
    [ -f "$file" ] || fail "no working file for segment $segment of channel $channel"
    [ "$(tr -d '\000' <"$file" | head -c 1 | wc -c)" -eq 1 ] ||
        fail "the $wave of segment $segment is all zero: nothing was generated"
    local catalogue
    catalogue=$(python3 "$here/scpi_block.py" 127.0.0.1 "$port" "$channel" "$segment" "$work/got")
    cmp "$file" "$work/got" || fail "instrument copy of segment $segment differs from $file"
    local points=$(($(stat -c %s "$file") / 2))
    [[ ",$catalogue," == *",$segment,$points,"* ]] ||
        fail "catalogue of channel $channel is '$catalogue', missing $segment,$points"
    [ "$(ini_value SegmStt "Segm$segment-$((channel - 1))" "$context")" = Loaded ] ||
        fail "segment $segment of channel $channel is not marked Loaded"
    echo "e2e: channel $channel segment $segment ($wave, $points points) arrived intact"
}

download 1 1 sine
download 2 5 square
download 1 3 noise
