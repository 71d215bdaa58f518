#!/usr/bin/env bash
# Sets everything up and runs the whole test suite under a virtual X display
# with Mesa's software renderer: first every libFuzzer target for
# VANTOR_FUZZ_SECONDS each (default 30; VANTOR_SKIP_FUZZ=1 skips it), then the
# suite in the normal build, then once more built with AddressSanitizer and
# UndefinedBehaviorSanitizer (VANTOR_SKIP_SANITIZE=1 leaves that pass out).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export LIBGL_ALWAYS_SOFTWARE=1
jobs=$(nproc 2>/dev/null || echo 2)
# -noreset: an X server that resets when its last client leaves turns away the
# clients that arrive during the reset, and the tests come and go all the time.
xserver="-noreset -screen 0 1280x1024x24"

if [ "${VANTOR_SKIP_FUZZ:-0}" != 1 ]; then
  FUZZ_SECONDS="${VANTOR_FUZZ_SECONDS:-30}" scripts/fuzz.sh
fi

xvfb-run -a -s "$xserver" ctest --test-dir build --no-tests=error --output-on-failure -j "$jobs"

if [ "${VANTOR_SKIP_SANITIZE:-0}" != 1 ]; then
  # -O1, as the sanitizers advise: asserts stay on, and the content tool the
  # tests run (the medal ghosts' races) takes seconds rather than minutes.
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DVANTOR_SANITIZE=ON >/dev/null
  cmake --build build-sanitize -j "$jobs"
  # Mesa and SDL keep driver allocations until exit; leaks are checked separately
  # with valgrind, so only invalid accesses and undefined behaviour fail here.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  xvfb-run -a -s "$xserver" ctest --test-dir build-sanitize --no-tests=error --output-on-failure -j "$jobs"

fi
