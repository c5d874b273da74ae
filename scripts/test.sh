#!/bin/bash
# Installs what is missing, builds Kestrel with AddressSanitizer and
# UndefinedBehaviorSanitizer (benchmarks compiled too, not run), and runs the
# whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE=ON \
    -DKESTREL_BUILD_TESTS=ON -DKESTREL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-test -j2

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
cd build-test
ctest -j2 --output-on-failure --timeout 300
