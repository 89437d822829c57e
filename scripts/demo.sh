#!/usr/bin/env bash
# Builds Wavesmith and starts the demo: the host stand-in with its control panel, the
# simulated instrument and the tool, in a fresh workspace. Extra arguments go to
# "consolux demo" (for example --mode fm, --family G4270, --instrument HOST:PORT).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target consolux wavesmith wavesmith-cli awg-sim

run=(build/host/consolux demo "$@")
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    run=(dbus-run-session -- "${run[@]}")
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: no display found; running on a virtual X server (xvfb-run)."
    run=(xvfb-run -a -s "-screen 0 1600x1000x24" "${run[@]}")
fi
exec "${run[@]}"
