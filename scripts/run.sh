#!/bin/bash
# Installs what is missing, builds Kestrel and starts it on the simulated
# exchange (exchange name: the arguments, PBX1 by default).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_BUILD_TESTS=OFF \
    -DKESTREL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build -j2

if [ -z "${DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
if [ $# -eq 0 ]; then
    set -- PBX1
fi
exec build/OPSHELM32/30000/ADDINS/kestrel "$@"
