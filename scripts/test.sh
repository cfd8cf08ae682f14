#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite: a normal build, an AddressSanitizer +
# UndefinedBehaviorSanitizer build, a ThreadSanitizer build of the device tests, brief fuzzer runs and the
# Windows cross-compile of the USB library. Any failure or sanitizer finding fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${STRATA_TEST_BUILD:-$root/build-test}"
jobs="${STRATA_JOBS:-$(nproc)}"
fuzz_seconds="${STRATA_FUZZ_SECONDS:-10}"

"$root/scripts/setup.sh"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

passed=0
step() { echo; echo "=== $* ==="; }

run_suite() { # name, build dir, cmake arguments...
    local name="$1" dir="$2"
    shift 2
    step "$name: configure and build"
    cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" "$@" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -j "$jobs"
    step "$name: tests"
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
    passed=$((passed + $(cd "$dir" && ctest -N | sed -n 's/^Total Tests: //p')))
}

mkdir -p "$out"
run_suite "normal" "$out/normal" -DCMAKE_BUILD_TYPE=Release
run_suite "address+undefined" "$out/asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DSTRATA_SANITIZE=address,undefined -DSTRATA_BENCH=OFF

step "thread sanitizer: device tests"
cmake -S "$root" -B "$out/tsan" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DSTRATA_CORE_ONLY=ON -DSTRATA_SANITIZE=thread -DSTRATA_BENCH=OFF >"$out/tsan.configure.log"
cmake --build "$out/tsan" -j "$jobs" --target test_device
"$out/tsan/bin/test_device"
passed=$((passed + 1))

step "fuzzers: ${fuzz_seconds}s each"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$out/fuzz" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DSTRATA_FUZZ=ON -DSTRATA_CORE_ONLY=ON -DSTRATA_TESTS=OFF -DSTRATA_BENCH=OFF \
    -DSTRATA_SANITIZE=address,undefined >"$out/fuzz.configure.log"
cmake --build "$out/fuzz" -j "$jobs"
for fuzzer in "$out"/fuzz/bin/fuzz_*; do
    name="$(basename "$fuzzer")"
    corpus="$root/fuzz/corpus/$name"
    work="$out/fuzz/corpus-$name"
    mkdir -p "$work"
    echo "--- $name"
    "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$work" ${corpus:+$( [ -d "$corpus" ] && echo "$corpus")} \
        >"$out/fuzz/$name.log" 2>&1 || { tail -60 "$out/fuzz/$name.log"; exit 1; }
    passed=$((passed + 1))
done

if [ -x "$root/scripts/cross-check-windows.sh" ]; then
    step "Windows cross-compile of the USB library"
    "$root/scripts/cross-check-windows.sh" "$out/mingw"
    passed=$((passed + 1))
fi

echo
echo "strata: $passed passed, 0 failed"
