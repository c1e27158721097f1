#!/usr/bin/env bash
# Builds the interpreter's fuzz target with clang and runs it for SECONDS
# (default 60) on the seed corpus. Exits non-zero on a crash, a hang (an input
# that takes over 5 s) or any sanitizer report. Inputs that fail are kept in
# the build folder's artifacts/; the scratch folder goes whatever happens.
set -euo pipefail
seconds="${1:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
build="${VELMORA_FUZZ_BUILD:-/tmp/velmora-fuzz-$(id -u)}"
work="$(mktemp -d /tmp/velmora-fuzz-run.XXXXXX)"
fuzzer=""
cleanup() {
  set +e
  if [ -n "$fuzzer" ]; then kill "$fuzzer" 2>/dev/null; wait "$fuzzer" 2>/dev/null; fi
  if compgen -G "$work/crash-*" >/dev/null || compgen -G "$work/timeout-*" >/dev/null \
     || compgen -G "$work/leak-*" >/dev/null || compgen -G "$work/oom-*" >/dev/null; then
    mkdir -p "$build/artifacts"
    mv "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-* "$build/artifacts/" 2>/dev/null || true
    echo "failing inputs kept in $build/artifacts" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null

# New inputs go to a scratch folder, so the seed corpus in the tree stays as written.
mkdir -p "$work/corpus"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# Not exec: the shell must outlive the fuzzer to clear up after it. In the
# background, so that a signal to the shell is acted on at once.
"$build/fuzz_interpreter" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -max_len=4096 -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" "$here/corpus" &
fuzzer=$!
rc=0
wait "$fuzzer" || rc=$?
fuzzer=""
exit "$rc"
