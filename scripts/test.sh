#!/usr/bin/env bash
# Builds and runs the whole test suite: a plain build, a build with
# AddressSanitizer and UndefinedBehaviorSanitizer (any report fails), a minute
# of fuzzing the host's command language, and an install check of the package.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
jobs=$(nproc)

echo "== plain build"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== sanitizer build"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== fuzzing the command interpreter"
VELMORA_FUZZ_BUILD="$PWD/build-fuzz" standin/fuzz/run.sh 60 2>&1 | tail -n 20

echo "== install check of the Debian package"
packaging/check-install.sh "$PWD/build"
