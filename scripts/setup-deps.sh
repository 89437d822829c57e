#!/usr/bin/env bash
# Installs what building, testing, packaging and running Wavesmith needs on Debian 12, only
# when something is missing. Run as root (or through sudo). Every name is a real package,
# not a virtual one that dpkg never reports as installed, so a second run asks dpkg once and
# ends without touching apt.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
    libdbus-1-dev dbus dbus-x11 libcli11-dev
    dpkg-dev appstream desktop-file-utils groff-base
    xvfb xauth x11-apps imagemagick poppler-utils
    python3 python3-pyvisa python3-pyvisa-py strace
    python3-dev python3-numpy python3-pytest pybind11-dev
    libtirpc-dev rpcsvc-proto rpcbind liblxi-dev lxi-tools
)

# One dpkg call for all of them; a package dpkg has never heard of prints nothing.
installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
    awk '$NF == "installed" && $(NF-1) == "ok" { print $1 }' || true)"
missing=()
for package in "${packages[@]}"; do
    if ! grep -qx -- "$package" <<<"$installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
