#!/bin/bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# the given seconds (default 5) on a copy of its seed corpus. Fails on any
# crash, leak, sanitizer report or time-out and names the reproducer.
#   scripts/fuzz.sh [seconds-per-target] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-5}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "fuzz.sh: seconds per target must be a positive whole number, not '$seconds'" >&2
    exit 2
fi

# Target and the longest input worth trying: the texts are short, the
# record program needs room for eight lists.
declare -A max_len=(
    [trunk_range]=256 [answer_codes]=128 [token_expansion]=512
    [data_format]=256 [split_list]=512 [request_record]=4096
)
all="trunk_range answer_codes token_expansion data_format split_list request_record"
targets=()
for t in "${@:-$all}"; do
    for name in $t; do
        name=${name#fuzz_}
        if [ -z "${max_len[$name]:-}" ]; then
            echo "fuzz.sh: no fuzz target '$name' (targets: $all)" >&2
            exit 2
        fi
        targets+=("$name")
    done
done

scripts/setup.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKESTREL_BUILD_FUZZERS=ON \
    -DKESTREL_BUILD_TESTS=OFF -DKESTREL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
summary=()
for name in "${targets[@]}"; do
    binary=build-fuzz/fuzz/fuzz_$name
    corpus=$work/$name
    artifacts=$root/out/fuzz/$name
    log=$artifacts/log.txt
    # New inputs go to a scratch copy; the committed seeds stay as they are.
    mkdir -p "$corpus"
    cp fuzz/corpus/$name/* "$corpus"/
    rm -rf "$artifacts"
    mkdir -p "$artifacts"
    dict=()
    if [ -f fuzz/dict/$name.dict ]; then
        dict=(-dict=fuzz/dict/$name.dict)
    fi
    echo "== fuzz_$name: ${seconds}s"
    status=0
    # The outer limit catches a target that hangs before libFuzzer's own
    # per-input time-out can.
    timeout --signal=KILL $((seconds + 120)) "$binary" -max_total_time="$seconds" \
        -max_len="${max_len[$name]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        "${dict[@]}" -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    reproducers=$(find "$artifacts" -maxdepth 1 -type f ! -name log.txt | sort)
    if [ "$status" -ne 0 ] || [ -n "$reproducers" ] ||
        grep -qE '^==[0-9]+==ERROR|runtime error:|^SUMMARY: ' "$log"; then
        failed=1
        grep -E 'ERROR|runtime error:|property broken|SUMMARY' "$log" | head -5 || true
        line="fuzz_$name: ${runs:-?} executions, FOUND (exit $status, log $log)"
        for r in $reproducers; do
            line+=$'\n'"    reproduce: $binary $r"
        done
    else
        line="fuzz_$name: $runs executions, nothing found"
    fi
    echo "$line"
    summary+=("$line")
done

echo
echo "Fuzzing, ${seconds}s per target:"
printf '%s\n' "${summary[@]}"
exit $failed
