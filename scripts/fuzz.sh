#!/bin/bash
# Builds the fuzz targets with clang and libFuzzer in build-fuzz/ and runs each of them.
#   scripts/fuzz.sh            each target a fixed number of inputs with a fixed seed (CI; about a minute)
#   scripts/fuzz.sh SECONDS    each target for SECONDS, with a random seed (by hand, to search longer)
# New inputs go to build-fuzz/fuzz/work/<target>/ (never into the committed corpus); a crash
# leaves its input in build-fuzz/fuzz/crashes/. Copy an input worth keeping into
# fuzz/corpus/<target>/, and a crash, once fixed, into fuzz/regressions/<target>/ with a test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-}"
if [ -n "$seconds" ] && ! [ "$seconds" -gt 0 ] 2>/dev/null; then
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
fi
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQM_FUZZ=ON -DQM_UNITY=ON -DQM_WERROR="${QM_WERROR:-OFF}" >/dev/null
cmake --build "$build" --target qm_fuzzers
crashes="$build/fuzz/crashes"
mkdir -p "$crashes"
# Targets whose code reads files write them in a scratch folder; memory is faster than disk.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=0
while read -r name runs corpus regressions; do
    work="$build/fuzz/work/$name"
    mkdir -p "$work"
    dirs=("$work" "$corpus")
    [ -d "$regressions" ] && dirs+=("$regressions")
    if [ -n "$seconds" ]; then
        limits=(-max_total_time="$seconds")
    else
        rm -rf "$work" && mkdir -p "$work"
        limits=(-runs="$runs" -seed=1)
    fi
    start=$(date +%s)
    if "$build/fuzz/$name" "${limits[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$crashes/$name-" -print_final_stats=1 "${dirs[@]}" >"$build/fuzz/$name.log" 2>&1; then
        echo "fuzz $name: ok ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz/$name.log" | grep -o '[0-9]*$') inputs, $(( $(date +%s) - start )) s)"
    else
        echo "fuzz $name: FAILED, see $build/fuzz/$name.log; inputs in $crashes"
        tail -n 40 "$build/fuzz/$name.log"
        failed=1
    fi
done <"$build/fuzz/targets.txt"
exit $failed
