#!/bin/bash
# Installs what is missing, builds Kestrel and starts the reference host
# helm32 on the simulated exchanges, from which the engineer opens Trunk
# Copy. Arguments: an exchange to open Trunk Copy for at once (PBX1 when no
# display exists). Without a display the host and the add-in run under a
# virtual X server and a picture of both is saved; its path is printed.
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
mkdir -p out
shot="$PWD/out/helm32-trunk-copy.png"
rm -f "$shot"
HELM32_SCREENSHOT="$shot" timeout 120 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$host" "$1"
if [ ! -s "$shot" ]; then
    echo "Trunk Copy did not open for exchange '$1'." >&2
    exit 1
fi
echo "No display: helm32 opened Trunk Copy for '$1' on a virtual screen; picture: $shot"
