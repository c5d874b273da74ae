#!/bin/bash
# Soaks the add-in through the reference host: N Get/Copy cycles (default
# 100) over the real automation path with a random exchange fault in each
# and the safety net on or off, every cycle checked for a usable window, a
# box for the engineer and an exchange that holds exactly what the add-in
# reported it wrote. Prints the cycles run, failures, the
# time taken, the peak memory and open descriptors of both programs; ends
# with status 1 when any cycle failed. SOAK_SEED picks the random sequence.
# Builds the release tree in build/ first (tests and benchmarks off).
set -euo pipefail
cd "$(dirname "$0")/.."

cycles="${1:-100}"
seed="${SOAK_SEED:-$(date +%s)}"
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_BUILD_TESTS=OFF \
        -DKESTREL_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build build -j2 >/dev/null

out="$PWD/out/soak"
rm -rf "$out"
mkdir -p "$out/data" "$out/config"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
# The add-in's journal and settings (the soak switches the safety net) go to
# fresh folders of their own, not the user's.
export XDG_DATA_HOME="$out/data"
export XDG_CONFIG_HOME="$out/config"
export QT_QPA_PLATFORM=offscreen

start=$(date +%s)
status=0
HELM32_SOAK="$cycles" HELM32_SOAK_SEED="$seed" \
    nice build/OPSHELM32/30000/HELM32/helm32 SOAK >"$out/soak.log" 2>&1 || status=$?
echo "Soak of $cycles cycles, seed $seed, wall time $(($(date +%s) - start)) s (log: $out/soak.log)"
grep -E '^(SOAK|FAIL) ' "$out/soak.log" | grep -v '^SOAK progress' || true
if [ "$status" -ne 0 ]; then
    grep -q '^SOAK failures' "$out/soak.log" || tail -n 20 "$out/soak.log"
    echo "Soak failed (status $status)."
fi
exit "$status"
