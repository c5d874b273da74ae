#!/bin/bash
# Runs clang-tidy with the project's small check set (.clang-tidy) over the
# product's sources, using the compile commands of a configured build
# (build-test unless given). Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"

if [ ! -f "$build/compile_commands.json" ]; then
    echo "No $build/compile_commands.json: configure the build first (scripts/test.sh)." >&2
    exit 1
fi

root="$(pwd)"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
# The generated moc sources are Qt's, not ours.
if ! run-clang-tidy -quiet -j "$(nproc)" -p "$build" "^$root/(src|host)/.*\.cpp$" >"$log" 2>&1; then
    grep -E 'error:|warning:' -A3 "$log" | grep -v 'warnings generated' >&2 || cat "$log" >&2
    echo "clang-tidy found the above (checks in .clang-tidy)." >&2
    exit 1
fi
echo "clang-tidy: no findings."
