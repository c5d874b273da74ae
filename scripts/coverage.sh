#!/bin/bash
# Builds Kestrel with gcov instrumentation into build-coverage/ (a build of
# its own, not a CI gate), runs the whole suite headless and prints the line,
# function and branch coverage of the product (src/ and host/). Branches a
# compiler adds for exceptions and for code it proves unreachable are left
# out, so the figure counts the decisions written in the code. KESTREL_COVERAGE
# makes an add-in that ends at once write its counters first, so what the
# add-in processes the tests start ran is counted too.
# Extra arguments go to ctest (for example -R AutomationTest).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-coverage -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="--coverage -DKESTREL_COVERAGE" -DCMAKE_EXE_LINKER_FLAGS="--coverage" \
    -DCMAKE_SHARED_LINKER_FLAGS="--coverage" \
    -DKESTREL_BUILD_TESTS=ON -DKESTREL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-coverage -j2

# Counters of an earlier run would add to this one's.
find build-coverage -name '*.gcda' -delete

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
(cd build-coverage && ctest -j2 --timeout 300 "$@") || status=$?

gcovr --root . --object-directory build-coverage \
    --filter 'src/' --filter 'host/' \
    --exclude-throw-branches --exclude-unreachable-branches \
    --gcov-ignore-parse-errors -j 2 --print-summary \
    --txt build-coverage/coverage.txt | tail -3
exit "${status:-0}"
