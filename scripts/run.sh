#!/bin/bash
# Installs what is missing, builds Kestrel and starts it standalone on the
# simulated exchange (exchange name: the arguments, PBX1 by default). Where
# no display exists the window is drawn off screen and saved as a picture,
# whose path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_BUILD_TESTS=OFF \
    -DKESTREL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build -j2

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
if [ $# -eq 0 ]; then
    set -- PBX1
fi
program=build/OPSHELM32/30000/ADDINS/kestrel
if [ -n "${DISPLAY:-}" ]; then
    exec "$program" "$@"
fi

mkdir -p out
shot="$PWD/out/kestrel-window.png"
rm -f "$shot"
QT_QPA_PLATFORM=offscreen KESTREL_SCREENSHOT="$shot" "$program" "$@"
if [ ! -s "$shot" ]; then
    echo "No window was shown for exchange '$*'." >&2
    exit 1
fi
echo "No display: the Kestrel window for exchange '$*' was drawn off screen into $shot"
