#!/bin/bash
# Every test, as the README's test command and CI run them on a fresh clone (as root: it installs
# what it needs with apt-get): the build and its test suite first; then the guard-rail stages
# (the same tests in a sanitizer build with warnings as errors, the fuzz targets for a fixed
# number of inputs, and the Debian package installed into a scratch root). Every stage decides
# the outcome: a broken test build stops the run at once; the guard rails all run, so that one
# run shows everything they find, and any of them failing fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
run_start=$(date +%s)
stage_start=$run_start
stage_name=""
timings=()
stage() {
    local now
    now=$(date +%s)
    [ -z "$stage_name" ] || timings+=("$stage_name: $((now - stage_start)) s")
    stage_name=$1
    stage_start=$now
    echo "=== $1 ($(date +%T))"
}

stage "tests"
# "|| exit 1": under set -e, a failure before the last command of an && chain (a broken build)
# would not stop the script, and the run would end green.
# Unity builds (QM_UNITY): fewer, larger compile units make the cold builds of a fresh clone shorter.
sh scripts/install-deps.sh && cmake -S . -B build -G Ninja -DQM_UNITY=ON && cmake --build build && ctest --test-dir build -j2 --output-on-failure || exit 1

guard() {
    local name=$1
    shift
    stage "$name"
    if ! "$@"; then
        echo "=== GUARD RAIL FAILED: $name"
        guard_failures+=("$name")
    fi
}
guard_failures=()
sanitize() {
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DQM_SANITIZE=ON -DQM_WERROR=ON -DQM_BUILD_BENCH=OFF -DQM_UNITY=ON &&
        cmake --build build-sanitize && ctest --test-dir build-sanitize -j2 --output-on-failure
}
guard "guard-rail packages" sh scripts/install-ci-deps.sh
guard "sanitizer tests" sanitize
guard "fuzz" env QM_WERROR=ON bash scripts/fuzz.sh
guard "package" bash scripts/check-package.sh build
stage "done"
printf '  %s\n' "${timings[@]}"
echo "  in all: $(($(date +%s) - run_start)) s"
if [ ${#guard_failures[@]} -gt 0 ]; then
    echo "=== FAILED guard rails: ${guard_failures[*]}"
    exit 1
fi
echo "=== all stages passed"
