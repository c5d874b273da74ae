#!/bin/bash
# Installs what is missing, builds Kestrel and starts the reference host
# helm32 on the simulated exchanges, from which the engineer opens Trunk
# Copy. Argument: an exchange to open Trunk Copy for at once. Without a
# display, a scripted session runs under a virtual X server instead: the
# host opens Trunk Copy, reads trunk 004, edits a value, copies to 5-7,
# reads 006 back and prints, printing each step; it ends with status 0 only
# when every step did what it should.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_BUILD_TESTS=OFF \
    -DKESTREL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build -j2

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
host=build/OPSHELM32/30000/HELM32/helm32
if [ -n "${DISPLAY:-}" ]; then
    exec "$host" "$@"
fi

if [ $# -eq 0 ]; then
    set -- PBX1
fi
# No display: an unattended session through the real automation path on a
# virtual screen; every step's outcome is printed, pictures and the report
# land in out/session. It runs on a copy of the runtime tree, with a home of
# its own, so the exchanges, reports, journal and settings that the engineer
# meets at the next start are as built.
folder="$PWD/out/session"
rm -rf "$folder"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -a build/OPSHELM32 "$work/"
mkdir -p "$work/home"
status=0
HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_CACHE_HOME="$work/home/.cache" HELM32_SESSION="$folder" timeout 300 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$work/${host#build/}" "$1" || status=$?
echo "Pictures of both windows and the report PDF: $folder"
exit $status
