#!/usr/bin/env bash
# End to end: the command-line tool generates waveforms and downloads them, consolux
# serves the notifications on the session bus, and what reached the simulated instrument
# must equal the tool's working files byte for byte, on both channels.
# Run under a private bus: dbus-run-session -- download.sh CONSOLUX AWG_SIM WAVESMITH_CLI
set -euo pipefail
# shellcheck source=tests/e2e/e2e-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh" download "$@"

context=$(cd "$work/ws" && "$cli" paths | sed -n 's/^ContextFile=//p')
[ -f "$context" ] || fail "the tool does not find its context file"

# download CHANNEL SEGMENT WAVE: generate WAVE there, download it, compare the instrument's copy.
download() {
    local channel=$1 segment=$2 wave=$3 before
    before=$(notices 2)
    local step
    for step in "channel $channel" "segment $segment" "generate $wave" "download"; do
        # shellcheck disable=SC2086 # each step is a command and its argument
        (cd "$work/ws" && "$cli" $step >/dev/null) ||
            fail "wavesmith-cli $step failed on channel $channel segment $segment"
    done
    local line
    line=$(await_notice 2 "$before")
    [[ "$line" == *"ch=$channel \":TRAC:DEF $segment,"* ]] ||
        fail "download of channel $channel segment $segment: $line"

    local file
    file=$(ini_value SegmTbl "Segm$segment-$((channel - 1))" "$context")
    [ -f "$file" ] || fail "no working file for segment $segment of channel $channel"
    [ "$(tr -d '\000' <"$file" | head -c 1 | wc -c)" -eq 1 ] ||
        fail "the $wave of segment $segment is all zero: nothing was generated"
    local catalogue
    catalogue=$(scpi "$work/got" ":INST $channel" ":TRAC:SEL $segment" ":TRAC:CAT?" ":TRAC:DATA?")
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
