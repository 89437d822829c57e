# shellcheck shell=bash
# Shared set-up of the end-to-end scripts, sourced after "set -euo pipefail":
#   source e2e-lib.sh NAME CONSOLUX AWG_SIM WAVESMITH_CLI
# It prepares a consolux workspace in a scratch folder, starts awg-sim on a free port and
# "consolux serve" against it, and removes all of it when the script ends. The caller runs
# under a private session bus (dbus-run-session).
e2e_name=$1
consolux=$(realpath "$2")
awg_sim=$(realpath "$3")
# shellcheck disable=SC2034 # the sourcing script runs it
cli=$(realpath "$4")
e2e_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

work=$(mktemp -d "${TMPDIR:-/tmp}/wavesmith-e2e-$e2e_name-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "e2e $e2e_name: $*" >&2
    echo "--- consolux serve said:" >&2
    cat "$work/serve.log" >&2 || true
    exit 1
}
poll() { # TRIES COMMAND...: runs COMMAND every 50 ms until it succeeds, at most TRIES times
    local tries=$1
    shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.05; done
    return 1
}
wait_for() { poll 200 grep -q -- "$2" "$1"; } # FILE PATTERN: up to 10 s for a matching line
ini_value() { # SECTION KEY FILE: the key's value in that section (names without case)
    awk -v section="$1" -v key="$2" -F= '
        /^\[/ { inside = tolower($0) == "[" tolower(section) "]"; next }
        inside && tolower($1) == tolower(key) { sub(/^[^=]*=/, ""); print; exit }' "$3"
}
# held COMMAND...: runs COMMAND while consolux serve is stopped, so that a short command-line
# run has left the bus before the host can look at it, as on a heavily loaded machine.
# shellcheck disable=SC2317 # called by the sourcing scripts
held() {
    local status=0
    kill -STOP "$serve_pid"
    "$@" || status=$?
    kill -CONT "$serve_pid"
    return "$status"
}
notices() { grep -c "^notify $1 " "$work/serve.log" || true; }
more_notices() { [ "$(notices "$1")" -gt "$2" ]; }
# await_notice CODE BEFORE: waits up to 20 s for more than BEFORE lines of that notice, then
# prints the last one; fails unless the instrument answered it without error.
await_notice() {
    poll 400 more_notices "$1" "$2" || true
    local line
    line=$(grep "^notify $1 " "$work/serve.log" | tail -n 1)
    [[ "$line" == *'-> 0,"No error"' ]] || fail "notice $1 did not reach the instrument: $line"
    echo "$line"
}
# scpi OUTPUT COMMAND...: sends the commands to awg-sim; a block answer goes to OUTPUT, a line
# answer to stdout.
scpi() { python3 "$e2e_dir/scpi_block.py" 127.0.0.1 "$port" "$@"; }

export WAVESMITH_REGISTRY_DIR="$work/registry"
"$consolux" prepare "$work/ws" >/dev/null

# E2E_TRANSPORT=vxi11: consolux reaches awg-sim over VXI-11 (the checks still read it over the
# socket), with an rpcbind started for the run when none answers.
vxi11=()
if [ "${E2E_TRANSPORT:-socket}" = vxi11 ]; then
    vxi11=(--vxi11)
    if ! (exec 3<>/dev/tcp/127.0.0.1/111) 2>/dev/null; then
        /usr/sbin/rpcbind -f &
        pids+=($!)
        poll 200 bash -c '(exec 3<>/dev/tcp/127.0.0.1/111)' 2>/dev/null || fail "no rpcbind"
    fi
fi
"$awg_sim" --port 0 --port-file "$work/port" "${vxi11[@]}" &
pids+=($!)
poll 200 test -s "$work/port" || fail "awg-sim did not report its port"
port=$(cat "$work/port")
address="127.0.0.1:$port"
[ ${#vxi11[@]} -eq 0 ] || address="TCPIP::127.0.0.1::INSTR"

"$consolux" serve "$work/ws" --instrument "$address" >"$work/serve.log" 2>&1 &
serve_pid=$!
pids+=("$serve_pid")
wait_for "$work/serve.log" '^listening' || fail "consolux serve is not listening"
