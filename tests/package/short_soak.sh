#!/bin/bash
# A short soak through helm32 installed from a build: Get/Copy cycles with
# random exchange faults and both copy roads, every cycle checked by the
# soak itself (usable window, a box, the exchange holding what was said).
# Usage: short_soak.sh <build folder> [cycles] [seed]
set -euo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if ! cmake --install "$1" --prefix "$work/usr" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install into $work/usr"
    exit 1
fi
mkdir -p "$work/home"
mkdir -m 700 "$work/runtime"
status=0
env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" \
    XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen KESTREL_STEP_INTERVAL_MS=1 \
    HELM32_SOAK="${2:-16}" \
    HELM32_SOAK_SEED="${3:-1}" timeout 300 "$work/usr/bin/helm32" SOAK >"$work/soak.log" 2>&1 ||
    status=$?
grep -E '^(SOAK|FAIL) ' "$work/soak.log" || tail -n 30 "$work/soak.log"
[ "$status" -eq 0 ] || { echo "FAIL: helm32 SOAK ended with status $status"; exit 1; }
grep -qx 'SOAK failures: 0' "$work/soak.log" || { echo "FAIL: a cycle failed"; exit 1; }
