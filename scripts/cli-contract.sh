#!/usr/bin/env bash
# Runs a fixed script of wavesmith-cli commands in a fresh workspace and prints, for each,
# the command, its standard output, the first line of its standard error and its exit
# status. Run it with the programs of two builds and compare the outputs to show that a
# change kept the command-line contract:
#   scripts/cli-contract.sh OLD/wavesmith-cli OLD/consolux > before.txt
#   scripts/cli-contract.sh NEW/wavesmith-cli NEW/consolux > after.txt
#   diff before.txt after.txt
set -u
cli=$(realpath "$1")
consolux=$(realpath "$2")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
export WAVESMITH_REGISTRY_DIR=$root/registry USER=tst
"$consolux" prepare "$root/ws" >/dev/null
cd "$root/ws"

run() {
    echo "\$ wavesmith-cli $*" | sed "s|$root|ROOT|g"
    "$cli" "$@" >"$root/out" 2>"$root/err"
    local status=$?
    sed "s|$root|ROOT|g" "$root/out"
    head -n 1 "$root/err" | sed "s|$root|ROOT|g; s/^/stderr: /"
    echo "exit $status"
}

run paths
run info
run length 1000
run --cancel length 1001
run generate sine --set Cycl=3 --set Wavmax=4000 --set Wavmin=-4000
run dump --text
run eval "amp*sin(1.5*omg*(p+500))" --from 0 --to 9 --amp 100 --period 1000
run eval p --from 5 --to 1
run edit smooth --anchors 100 400
run edit invert --anchors 10 5
run edit trim-right --anchors 0 99
run undo
run segment 2
run channel 2
run channel 3
run export "$root/out.csv"
run --yes save-as "$root/saved.wav"
run convert "$root/saved.wav" "$root/converted.asc"
run download
run --mode fm info
run --mode pulse paths
run --mode pulse save
run length 12a
run generate sine --set Nope=1
run dump
run frobnicate
run length
run --bogus info
run --mode fm fm deviation -5
run --mode pulse pulse options segmentation allowed memory all
run --mode pulse pulse bogus
