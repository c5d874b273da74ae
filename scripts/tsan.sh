#!/bin/bash
# Builds the tests that drive the simulated link's worker thread with the
# thread sanitizer and runs them; any reported race fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE_THREAD=ON \
    -DKESTREL_BUILD_TESTS=ON -DKESTREL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan -j2 --target test_exchange

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1"
build-tsan/tests/test_exchange
