#!/usr/bin/env bash
# Builds and runs the whole test suite twice: plainly, and under AddressSanitizer with
# UndefinedBehaviorSanitizer. In between, each fuzz target gets a short smoke run.
# Installs the Debian packages it needs first (scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh

export CTEST_OUTPUT_ON_FAILURE=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
# libdbus keeps one allocation until exit under a real X server; it is not ours.
export DBUS_SESSION_BUS_ADDRESS=disabled:
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
jobs=$(nproc)

echo "== Compilación normal =="
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/plain -j "$jobs"
ctest --test-dir build/plain -j "$jobs" --timeout 300

echo "== Fuzzing breve (libFuzzer) =="
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCOLVERO_FUZZ=ON -DCOLVERO_UI=OFF -DCOLVERO_TESTS=OFF
cmake --build build/fuzz -j "$jobs"
# A run that finds nothing prints its last lines; one that crashes prints its whole log, with
# the sanitizer's report and the input that caused it. The calculation reader also gets inputs
# longer than the longest value it accepts (4096 bytes).
fuzz() {
    local target=$1
    shift
    local corpus=build/fuzz/corpus-$target log=build/fuzz/$target.log
    mkdir -p "$corpus"
    if build/fuzz/fuzz/$target -max_total_time=20 -timeout=10 -print_final_stats=1 "$@" \
        "$corpus" fuzz/semillas >"$log" 2>&1; then
        tail -n 3 "$log"
    else
        cat "$log"
        echo "FALLO: $target" >&2
        return 1
    fi
}
fuzz fuzz_calcular
fuzz fuzz_leer_calculo -max_len=16384
fuzz fuzz_leer_criterio
fuzz fuzz_leer_serie
fuzz fuzz_leer_red
fuzz fuzz_pendientes
fuzz fuzz_leer_modelo_swmm
fuzz fuzz_leer_informe_swmm
fuzz fuzz_escritura_swmm

echo "== Compilación con AddressSanitizer y UndefinedBehaviorSanitizer =="
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCOLVERO_SANITIZE=ON
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan -j "$jobs" --timeout 600
