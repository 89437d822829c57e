#!/usr/bin/env bash
# The peak memory (maximum resident set) of each job of the standard editor on a waveform
# of POINTS points (default 256,000,000) in the 256 M-point test family, one wavesmith-cli
# process per job, against three times the waveform's bytes (16-bit points). Run from the
# build folder (one job at a time: the longest needs over a gigabyte):
#   bench/peak_memory.sh [POINTS]
# Prints one line per job: its name, the peak in MiB, the peak over the waveform's bytes,
# the wall time of the whole process in seconds (start-up and the load of the waveform
# included, so that runs at several lengths show how each job grows) and the exit status.
set -u
points=${1:-256000000}
build=$(pwd)
cli=$build/src/cli/wavesmith-cli
consolux=$build/host/consolux
source_dir=$(realpath "$(dirname "$0")/..")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
export WAVESMITH_REGISTRY_DIR=$root/registry USER=bch

"$consolux" prepare "$root/ws" --family QW2182 >/dev/null || exit 1
cp "$source_dir/tests/support/families/QW2182L.fam" "$root/ws/"
context=$(find "$root/ws" -name TempGlyp.cad | head -n 1)
sed -i 's/^Family=QW2182\r\?$/Family=QW2182L/' "$context"
cd "$root/ws"

waveform_mib=$(awk -v n="$points" 'BEGIN { printf "%.1f", n * 2 / 1048576 }')
echo "waveform: $points points, $waveform_mib MiB; limit 3x = $(awk -v m="$waveform_mib" 'BEGIN { printf "%.1f", 3 * m }') MiB"

# One job: its name, then the command line of wavesmith-cli.
job() {
    local name=$1
    shift
    /usr/bin/time -f "%M %e" -o "$root/peak" "$cli" --yes "$@" >/dev/null 2>"$root/err"
    local status=$?
    [ "$status" = 0 ] || sed "s/^/    /" "$root/err" | head -n 3 >&2
    read -r kib seconds < <(tail -n 1 "$root/peak")
    awk -v name="$name" -v kib="$kib" -v seconds="$seconds" -v wave="$waveform_mib" \
        -v status="$status" \
        'BEGIN { printf "%-18s %8.1f MiB  %5.2fx  %7.2f s  exit %d\n", name, kib / 1024, kib / 1024 / wave, seconds, status }'
}

job length length "$points"
job open info
for kind in sine triangle square sinc gaussian exponent pulse noise; do
    job "generate $kind" generate "$kind"
done
job "generate formula" generate equation --set "Equ=amp*sin(omg*p)+amp/3*cos(3*omg*p)"
job "edit invert" edit invert --anchors 0 $((points - 1))
job undo undo
job save-as save-as "$root/saved.wav"
job save save
job "export .wav" export "$root/exported.wav"
job download download
