#!/usr/bin/env bash
# Installs what building, testing and running Wavesmith needs on Debian 12, only when
# something is missing. Run as root (or through sudo).
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libgl1-mesa-dev
    libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
    libdbus-1-dev dbus dbus-x11 libcli11-dev
    xvfb xauth x11-apps imagemagick poppler-utils
    python3 python3-pyvisa python3-pyvisa-py strace
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
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
