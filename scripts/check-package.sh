#!/usr/bin/env bash
# Builds the Debian package of a built build folder (default: build), unpacks it into a
# scratch root with dpkg -x and runs the programs from there, so that what is checked is
# the installed layout and not the build tree: the versions, the usage of the demo, a
# workspace prepared from the family files the package installed, and the Python module.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

if ! (cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1); then
    cat "$scratch/cpack.log"
    exit 1
fi
package="$(ls "$scratch"/out/*.deb)"
echo "package: $(basename "$package")"
echo "depends: $(dpkg-deb -f "$package" Depends)"
dpkg -x "$package" "$scratch/root"

bin="$scratch/root/usr/bin"
"$bin/wavesmith-cli" --version
"$bin/consolux" demo --help >/dev/null
"$bin/awg-sim" --version
"$bin/consolux" prepare "$scratch/ws" --family G4270 >/dev/null
for file in "$scratch/ws/G4270.fam" "$scratch/root/usr/share/wavesmith/families/QW2182.fam" \
    "$scratch/root/usr/share/man/man1/wavesmith-cli.1" \
    "$scratch/root/usr/share/applications/org.wavesmith.Wavesmith.desktop" \
    "$scratch/root/usr/share/icons/hicolor/scalable/apps/org.wavesmith.Wavesmith.svg"; do
    if [ ! -s "$file" ]; then
        echo "package: ${file#"$scratch"/} is missing" >&2
        exit 1
    fi
done
# The Python module, where Debian's python3 finds it under the prefix.
module_dir="$(ls -d "$scratch"/root/usr/lib/python3*/dist-packages)"
PYTHONPATH="$module_dir" /usr/bin/python3 -c \
    "import wavesmith, sys; sys.exit(wavesmith.evaluate('p', 0, 2).tolist() != [0.0, 1.0, 2.0])"
echo "package: runs from its install location"
