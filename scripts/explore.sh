#!/bin/bash
# Explores the standalone window with random sequences of the engineer's
# commands, other engineers' changes and exchange faults, about N steps in
# all (default 1000), every step checked against the simulated exchange's
# file. A failing sequence is shrunk by RapidCheck and printed with the
# RC_PARAMS that repeat it. EXPLORE_SEED picks the sequences (the run prints
# it); EXPLORE_WITHOUT=SlippedDestination,Close leaves commands out, to look past a
# fault already known. Builds the sanitized test tree (build-test/) first.
set -euo pipefail
cd "$(dirname "$0")/.."

steps="${1:-1000}"
seed="${EXPLORE_SEED:-$(date +%s)}"
scripts/setup.sh
if [ ! -f build-test/build.ninja ]; then
    cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE=ON \
        -DKESTREL_BUILD_TESTS=ON -DKESTREL_BUILD_BENCHMARKS=ON >/dev/null
fi
cmake --build build-test -j2 --target test_explore

# Sequences up to 100 commands long; as RapidCheck grows their size from
# nothing and draws each length up to it, one averages about a quarter.
size=$((steps < 100 ? steps : 100))
cases=$(((4 * steps + size - 1) / size))
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export RC_PARAMS="seed=$seed max_success=$cases max_size=$size ${RC_PARAMS:-}"
echo "Exploring: RC_PARAMS=\"$RC_PARAMS\""
exec build-test/tests/test_explore
